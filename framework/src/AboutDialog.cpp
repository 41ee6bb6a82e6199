#include "AboutDialog.h"

#include "ProgramFolder.h"

#include <QIcon>
#include <QPixmap>

AboutDialog::AboutDialog(QWidget* parent, const QString& logoPath)
    : QDialog(parent, Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint)
{
    setupUi(this);
    back->setPixmap(QPixmap(dialogBackgroundPath()));
    label->setPixmap(QPixmap(logoPath));
    setWindowIcon(QIcon(logoPath));
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::setTexts(const QString& vendor, const QString& product, const QString& version,
                           const QString& build, const QString& profilerVersion,
                           const QString& copyright)
{
    QFont font = label->font();
    label->setFont(font);
    font.setPixelSize(16);
    label_2->setFont(font);
    font.setPixelSize(12);
    label_3->setFont(font);
    label_4->setFont(font);

    label_2->setText(vendor + QLatin1Char(' ') + product);
    QString versions = tr("Version") + QStringLiteral(": ") + version + QStringLiteral(", build ") + build
                       + QLatin1Char('\n');
    if (!profilerVersion.isEmpty())
        versions += tr("Profiler version: ") + profilerVersion;
    label_3->setText(versions);
    label_4->setTextFormat(Qt::RichText);
    label_4->setText(copyright);
}
