#pragma once
// The support dialog: how to reach the maker's support, with a prepared e-mail
// (a "mailto:" link) carrying the product, version and system facts.

#include "ui_SupportDialog.h"

#include <QDialog>
#include <QString>

class KirrFramework;

class SupportDialog : public QDialog, public Ui_SupportDialog {
    Q_OBJECT

public:
    explicit SupportDialog(QWidget* parent = nullptr);
    ~SupportDialog() override;

    // Fills the label from the framework's style elements and version text.
    void setFramework(KirrFramework* framework);

    // The "mailto:" link to address with the subject "Support-Request <vendor>
    // <product> <version>" and the body of the support facts; both are
    // percent-encoded, line breaks as CR LF.
    static QString mailLink(const QString& address, const QString& vendor, const QString& product,
                            const QString& version, const QString& build,
                            const QString& profilerVersion, const QString& osDescription);

public slots:
    void linkClicked(const QString& link);

private:
    KirrFramework* m_framework = nullptr;
};
