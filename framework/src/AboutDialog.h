#pragma once
// The about box: logo, product title, version lines and copyright over the
// dialogs' background, at a fixed size with a close button only.

#include "ui_AboutDialog.h"

#include <QDialog>

class AboutDialog : public QDialog, public Ui_AboutDialog {
    Q_OBJECT

public:
    AboutDialog(QWidget* parent, const QString& logoPath);
    ~AboutDialog() override;

    // profilerVersion adds a second version line when it is not empty;
    // copyright may carry markup.
    void setTexts(const QString& vendor, const QString& product, const QString& version,
                  const QString& build, const QString& profilerVersion, const QString& copyright);
};
