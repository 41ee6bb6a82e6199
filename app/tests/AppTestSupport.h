#pragma once
// Shared pieces of the application tests: a private home for every store and
// folder, a catcher for the URLs the desktop would open, a guard that keeps
// the framework's update check on this machine, a stand-in controller, and
// helpers for modal dialogs.

#include <QList>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

#include <functional>

class QDialog;

// Points HOME and the XDG folders (configuration, cache, runtime) into home
// before anything reads them.
void usePrivateHome(const QTemporaryDir& home);

// The application's settings file in the private home.
QString settingsFilePath();

// Catches every URL the desktop services would open, so that no test starts a
// desktop program.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    UrlCatcher();
    ~UrlCatcher() override;
    QList<QUrl> takeUrls();

public slots:
    void openUrl(const QUrl& url);

private:
    QList<QUrl> m_urls;
};

// Takes every update check the framework starts, so that no request leaves
// the machine; records whether each was forced.
class UpdateGuard {
public:
    UpdateGuard();
    ~UpdateGuard();
    QList<bool> takeRequests();

private:
    QList<bool> m_forced;
};

// Stands in for the controller: counts the threshold notifications and keeps
// the threshold each one saw.
class ControllerStandIn : public QObject {
    Q_OBJECT

public:
    QList<double> upperThresholds;
    int calls = 0;

public slots:
    void catchDeltaEThresholdsChanged();
};

// Runs inspect on the next modal dialog once it shows; when inspect leaves it
// open, the dialog is rejected, so that a failure never leaves a test waiting.
void whenModal(std::function<void(QDialog*)> inspect);
