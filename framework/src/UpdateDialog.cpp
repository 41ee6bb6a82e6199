#include "UpdateDialog.h"

#include "KirrFramework.h"
#include "Logging.h"
#include "OrnSOAPRequest.h"
#include "ProgramFolder.h"
#include "ProxyDialog.h"
#include "UpdateService.h"

#include <QDesktopServices>
#include <QIcon>
#include <QPixmap>
#include <QSettings>
#include <QTimer>
#include <QUrl>

UpdateDialog::UpdateDialog(QWidget* parent, KirrFramework* framework)
    : QDialog(parent, Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint),
      m_framework(framework),
      m_progressTimer(new QTimer(this))
{
    setupUi(this);
    setWindowIcon(QIcon(dialogIconPath()));
    back->setPixmap(QPixmap(dialogBackgroundPath()));
    label->hide();

    QFont font = label->font();
    font.setPixelSize(13);
    for (QWidget* widget : {static_cast<QWidget*>(label), static_cast<QWidget*>(checkBox),
                            static_cast<QWidget*>(checkBox_2)})
        widget->setFont(font);

    if (m_framework) {
        m_sharedStore = UpdateService::openSharedStore(m_framework->vendor(),
                                                       m_framework->findStyleElement(QStringLiteral("prefdomain")));
        checkBox->setChecked(checkUpdate() == QLatin1String("1"));
        checkBox_2->setChecked(m_sharedStore->value(QStringLiteral("puseproxy")).toBool());
    }

    connect(okButton, &QPushButton::clicked, this, &QWidget::close);
    connect(label, &QLabel::linkActivated, this, &UpdateDialog::linkClicked);
    connect(m_progressTimer, &QTimer::timeout, this, &UpdateDialog::processTimer);
    connect(checkBox, &QCheckBox::clicked, this, &UpdateDialog::autoCheckClicked);
    connect(checkBox_2, &QCheckBox::clicked, this, &UpdateDialog::proxyClicked);

    m_progressTimer->start(500);
    progressBar->setValue(m_progress);
}

UpdateDialog::~UpdateDialog() = default;

QString UpdateDialog::checkUpdate() const
{
    return m_framework ? m_framework->getPrefsValue(QStringLiteral("checkUpdate"), false) : QString();
}

void UpdateDialog::startCheck(const QString& vendor, const QString& product, const QString& installedVersion,
                              const QString& productId, bool forced)
{
    if (m_framework && !forced) {
        const QString automatic = checkUpdate();
        if (automatic.isEmpty() || automatic == QLatin1String("0")) {
            finishUnseen();
            return;
        }
    }
    m_vendor = vendor;
    m_product = product;
    m_installedVersion = installedVersion;
    m_productId = productId;
    m_forced = forced;
    sendRequest();
    if (forced)
        runModal();
}

// A new request replaces the current one, whose result no longer counts.
void UpdateDialog::sendRequest()
{
    if (m_request) {
        m_request->disconnect(this);
        m_request->deleteLater();
    }
    m_request = new OrnSOAPRequest(m_framework ? m_framework->appContentPath() : programFolder());
    m_request->setParent(this);
    connect(m_request, &OrnSOAPRequest::finishedVersionRequest, this, &UpdateDialog::updateLabel);
    m_request->requestVersion(QString::fromLatin1(UpdateService::kServiceKey), m_productId);
}

// Runs the dialog modally once; a dialog that owns itself is gone afterwards.
void UpdateDialog::runModal()
{
    if (m_shown)
        return;
    m_shown = true;
    exec();
}

void UpdateDialog::finishUnseen()
{
    if (testAttribute(Qt::WA_DeleteOnClose))
        deleteLater();
}

void UpdateDialog::processTimer()
{
    m_progress += 5;
    if (m_progress > 100)
        m_progress = 0;
    progressBar->setValue(m_progress);
}

void UpdateDialog::updateLabel(int code)
{
    if (sender() && sender() != m_request)
        return;
    m_progressTimer->stop();
    progressBar->hide();
    progressLabel->hide();
    label->show();

    const UpdateReply::ProductData reply = m_request ? m_request->productData() : UpdateReply::ProductData();
    label->setTextFormat(code == UpdateReply::kRead ? Qt::RichText : Qt::PlainText);
    label->setText(UpdateReply::resultText(code, m_vendor, m_product, m_installedVersion, reply));

    if (m_forced || m_shown)
        return;
    const bool newer = code == UpdateReply::kRead && UpdateReply::isNewer(m_installedVersion, reply.version);
    if (newer && m_framework && checkUpdate() == QLatin1String("1")) {
        // Run outside the network reply's signal, which is still on the stack.
        QMetaObject::invokeMethod(this, &UpdateDialog::runModal, Qt::QueuedConnection);
        return;
    }
    finishUnseen();
}

// Only a link to the service's own host goes to the desktop's browser.
void UpdateDialog::linkClicked(const QString& link)
{
    const QUrl url(link, QUrl::TolerantMode);
    if (!UpdateService::isServiceLink(url)) {
        qCWarning(lcFrameworkUpdate, "ignored a link that leads away from the update service: %s",
                  qUtf8Printable(url.toDisplayString()));
        return;
    }
    QDesktopServices::openUrl(url);
    close();
}

void UpdateDialog::autoCheckClicked()
{
    if (m_framework)
        m_framework->setPrefsValue(QStringLiteral("checkUpdate"),
                                   checkBox->isChecked() ? QStringLiteral("1") : QStringLiteral("0"), false);
}

void UpdateDialog::proxyClicked()
{
    if (m_sharedStore) {
        UpdateService::restrictToOwner(*m_sharedStore);
        m_sharedStore->setValue(QStringLiteral("puseproxy"), checkBox_2->isChecked());
        m_sharedStore->sync();
        if (checkBox_2->isChecked()) {
            ProxyDialog proxy(this, m_sharedStore.get());
            proxy.exec();
        }
        checkBox_2->setChecked(m_sharedStore->value(QStringLiteral("puseproxy")).toBool());
    }
    sendRequest();
}
