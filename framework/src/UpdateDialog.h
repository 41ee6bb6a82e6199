#pragma once
// The update check as the user sees it: a progress bar while the service is
// asked, then the result, with a download link when a newer version exists;
// the switch of the automatic check and the proxy settings.
//
// A forced check runs the dialog modally at once and shows any result. An
// automatic check sends its request only when "checkUpdate" is set and not
// "0", and shows the dialog only for a newer version while "checkUpdate" is
// "1". A dialog with Qt::WA_DeleteOnClose owns itself: it is deleted when its
// check ends without showing it, or when it is closed.

#include "UpdateReply.h"
#include "ui_UpdateDialog.h"

#include <QDialog>
#include <QString>

#include <memory>

class KirrFramework;
class OrnSOAPRequest;
class QSettings;
class QTimer;

class UpdateDialog : public QDialog, public Ui_UpdateDialog {
    Q_OBJECT

public:
    // The framework may be null: then no preference is read or written.
    UpdateDialog(QWidget* parent, KirrFramework* framework);
    ~UpdateDialog() override;

    void startCheck(const QString& vendor, const QString& product, const QString& installedVersion,
                    const QString& productId, bool forced);

    // The request whose result the dialog waits for or shows; owned by the dialog.
    OrnSOAPRequest* currentRequest() const { return m_request; }
    QSettings* sharedStore() const { return m_sharedStore.get(); }

public slots:
    void processTimer();
    void updateLabel(int code);
    void linkClicked(const QString& link);
    void autoCheckClicked();
    void proxyClicked();

private:
    void sendRequest();
    void runModal();
    void finishUnseen();
    QString checkUpdate() const;

    QString m_vendor;
    QString m_product;
    QString m_installedVersion;
    QString m_productId;
    bool m_forced = false;
    KirrFramework* m_framework;
    OrnSOAPRequest* m_request = nullptr;
    QTimer* m_progressTimer;
    int m_progress = 0;
    std::unique_ptr<QSettings> m_sharedStore;
    bool m_shown = false;
};
