#include "UpdateCheck.h"

#include "UpdateDialog.h"

namespace {

// A forced check's dialog lives as long as its modal run; an automatic one
// owns itself, since its answer arrives after searchUpdate has returned.
void runUpdateDialog(QWidget* parent, KirrFramework* framework, const UpdateCheckRequest& request)
{
    if (request.forced) {
        UpdateDialog dialog(parent, framework);
        dialog.startCheck(request.vendor, request.product, request.installedVersion, request.productId, true);
        return;
    }
    auto* dialog = new UpdateDialog(parent, framework);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->startCheck(request.vendor, request.product, request.installedVersion, request.productId, false);
}

UpdateCheckStarter& currentStarter()
{
    static UpdateCheckStarter starter = runUpdateDialog;
    return starter;
}

}  // namespace

void startUpdateCheck(QWidget* parent, KirrFramework* framework, const UpdateCheckRequest& request)
{
    currentStarter()(parent, framework, request);
}

void setUpdateCheckStarter(UpdateCheckStarter starter)
{
    currentStarter() = starter ? std::move(starter) : UpdateCheckStarter(runUpdateDialog);
}
