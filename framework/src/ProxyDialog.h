#pragma once
// The proxy settings of the update check, kept in the framework's shared
// preference store: host, port, type (HTTP or SOCKS 5) and an optional login.

#include "ui_ProxyDialog.h"

#include <QDialog>

class QSettings;

class ProxyDialog : public QDialog, public Ui_ProxyDialog {
    Q_OBJECT

public:
    // The store is not owned and must outlive the dialog.
    ProxyDialog(QWidget* parent, QSettings* store);
    ~ProxyDialog() override;

    // Escape and the window's close button cancel as the Cancel button does.
    void reject() override;

public slots:
    void pOK();
    void pCancel();
    void pNeedLogin();

private:
    QSettings* m_store;
};
