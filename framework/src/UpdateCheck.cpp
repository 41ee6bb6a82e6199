#include "UpdateCheck.h"

#include "Logging.h"

namespace {

// This build has no update dialog: the request is logged and nothing is shown.
void logRequest(QWidget*, KirrFramework*, const UpdateCheckRequest& request)
{
    qCDebug(lcFrameworkUpdate, "update check for %s %s %s (product id %s, %s) is not available",
            qUtf8Printable(request.vendor), qUtf8Printable(request.product),
            qUtf8Printable(request.installedVersion), qUtf8Printable(request.productId),
            request.forced ? "forced" : "automatic");
}

UpdateCheckStarter& currentStarter()
{
    static UpdateCheckStarter starter = logRequest;
    return starter;
}

}  // namespace

void startUpdateCheck(QWidget* parent, KirrFramework* framework, const UpdateCheckRequest& request)
{
    currentStarter()(parent, framework, request);
}

void setUpdateCheckStarter(UpdateCheckStarter starter)
{
    currentStarter() = starter ? std::move(starter) : UpdateCheckStarter(logRequest);
}
