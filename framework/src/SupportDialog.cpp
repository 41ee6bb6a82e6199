#include "SupportDialog.h"

#include "KirrFramework.h"
#include "ProgramFolder.h"
#include "SystemInfo.h"
#include "TextTemplate.h"

#include <QDesktopServices>
#include <QIcon>
#include <QPixmap>
#include <QUrl>
#include <QUrlQuery>

namespace {

// Mail programs ask for CR LF line breaks in a "mailto:" body.
QByteArray mailEncoded(QString text)
{
    text.replace(QStringLiteral("<br>"), QStringLiteral("\r\n"));
    return QUrl::toPercentEncoding(text);
}

// Escapes a text for the label, keeping its "<br>" line breaks.
QString escapedLines(const QString& text)
{
    QStringList lines = text.split(QStringLiteral("<br>"));
    for (QString& line : lines)
        line = line.toHtmlEscaped();
    return lines.join(QStringLiteral("<br>"));
}

}  // namespace

SupportDialog::SupportDialog(QWidget* parent)
    : QDialog(parent, Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint)
{
    setupUi(this);
    setWindowIcon(QIcon(dialogIconPath()));
    back->setPixmap(QPixmap(dialogBackgroundPath()));
    connect(label, &QLabel::linkActivated, this, &SupportDialog::linkClicked);
}

SupportDialog::~SupportDialog() = default;

QString SupportDialog::mailLink(const QString& address, const QString& vendor, const QString& product,
                                const QString& version, const QString& build,
                                const QString& profilerVersion, const QString& osDescription)
{
    const QString empty;
    const QString subject = fillPlaceholders(QStringLiteral("Support-Request %1 %2 %3"),
                                             {vendor, product, version});
    const QString body = fillPlaceholders(
        QStringLiteral("<br><br>Product: %1 %2<br>Version: %3, build %4 %6<br>Profiler version: %5<br>"
                       "OS Version: %7"),
        {vendor, product, version, build, profilerVersion, empty, osDescription});

    QUrlQuery query;
    query.setQuery(QStringLiteral("subject=") + QString::fromLatin1(mailEncoded(subject))
                   + QStringLiteral("&body=") + QString::fromLatin1(mailEncoded(body)));
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(address);
    url.setQuery(query);
    return url.toString(QUrl::FullyEncoded);
}

void SupportDialog::setFramework(KirrFramework* framework)
{
    m_framework = framework;
    if (!framework)
        return;
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse);
    QFont font = label->font();
    font.setPixelSize(12);
    label->setFont(font);

    const QString vendor = framework->findStyleElement(QStringLiteral("vendor"));
    const QString product = framework->findStyleElement(QStringLiteral("product"));
    const QString version = framework->findStyleElement(QStringLiteral("version"));
    const QString build = framework->findStyleElement(QStringLiteral("build"));
    const QString mail = framework->findStyleElement(QStringLiteral("suppemail"));
    const QString phone = framework->findStyleElement(QStringLiteral("suppphone"));
    const QString profilerVersion = framework->versionText();
    const QString empty;
    const QString system = osDescription();

    const QString link = mailLink(mail, vendor, product, version, build, profilerVersion, system);
    const QString text = tr("For Support-Requests please contact %1<br>"
                            "<br>"
                            "by E-Mail: <a href=\"%3\">%2</a><br>"
                            "or by Phone: %4<br>"
                            "<br>"
                            "providing the following information:<br>"
                            "Product: %1 %5<br>"
                            "Version: %6, build %7 %9<br>"
                            "Profiler version: %8<br>"
                            "OS Version: %10");
    // The style file's values are plain text, shown as they are written.
    label->setText(fillPlaceholders(text, {vendor.toHtmlEscaped(), mail.toHtmlEscaped(), link.toHtmlEscaped(),
                                           phone.toHtmlEscaped(), product.toHtmlEscaped(), version.toHtmlEscaped(),
                                           build.toHtmlEscaped(), profilerVersion.toHtmlEscaped(), empty,
                                           escapedLines(system)}));
}

void SupportDialog::linkClicked(const QString& link)
{
    QDesktopServices::openUrl(QUrl(link, QUrl::StrictMode));
}
