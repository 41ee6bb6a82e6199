#pragma once
// The one road from the framework to the update check: searchUpdate hands its
// request here, and the starter opens the update dialog with it.

#include <QString>

#include <functional>

class KirrFramework;
class QWidget;

// What UpdateDialog::startCheck is given, in its order.
struct UpdateCheckRequest {
    QString vendor;
    QString product;
    QString installedVersion;
    QString productId;
    bool forced = false;
};

using UpdateCheckStarter =
    std::function<void(QWidget* parent, KirrFramework* framework, const UpdateCheckRequest&)>;

void startUpdateCheck(QWidget* parent, KirrFramework* framework, const UpdateCheckRequest& request);

// Replaces what startUpdateCheck runs; an empty starter restores the default.
void setUpdateCheckStarter(UpdateCheckStarter starter);
