#include "ProxyDialog.h"

#include "Logging.h"
#include "ProgramFolder.h"
#include "UpdateService.h"

#include <QIcon>
#include <QIntValidator>
#include <QPixmap>
#include <QSettings>

ProxyDialog::ProxyDialog(QWidget* parent, QSettings* store)
    : QDialog(parent, Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint), m_store(store)
{
    setupUi(this);
    QFont font = this->font();
    font.setPixelSize(13);
    setFont(font);
    checkBoxNeedLogin->setFont(font);
    setWindowIcon(QIcon(dialogIconPath()));
    back->setPixmap(QPixmap(dialogBackgroundPath()));

    lineEditHost->setText(m_store->value(QStringLiteral("phost")).toString());
    lineEditPort->setValidator(new QIntValidator(1, 65535, lineEditPort));
    lineEditPort->setText(m_store->value(QStringLiteral("pport")).toString());
    comboBoxType->setCurrentIndex(
        m_store->value(QStringLiteral("ptype")).toString() == QLatin1String("SOCKS5") ? 1 : 0);
    checkBoxNeedLogin->setChecked(m_store->value(QStringLiteral("plogin")).toBool());
    pNeedLogin();
    lineEditUser->setText(m_store->value(QStringLiteral("puser")).toString());
    lineEditPassword->setText(
        UpdateService::unscramblePassword(m_store->value(QStringLiteral("ppassword")).toByteArray()));

    connect(buttonBox, &QDialogButtonBox::accepted, this, &ProxyDialog::pOK);
    connect(buttonBox, &QDialogButtonBox::rejected, this, &ProxyDialog::pCancel);
    connect(checkBoxNeedLogin, &QCheckBox::clicked, this, &ProxyDialog::pNeedLogin);
}

ProxyDialog::~ProxyDialog() = default;

void ProxyDialog::pNeedLogin()
{
    const bool login = checkBoxNeedLogin->isChecked();
    for (QWidget* widget : {static_cast<QWidget*>(labelUser), static_cast<QWidget*>(labelPassword),
                            static_cast<QWidget*>(lineEditUser), static_cast<QWidget*>(lineEditPassword)})
        widget->setEnabled(login);
}

// An empty host, or a port the validator does not accept (such as "0"),
// switches the proxy off.
void ProxyDialog::pOK()
{
    const bool isPrivate = UpdateService::restrictToOwner(*m_store);
    if (lineEditHost->text().isEmpty() || !lineEditPort->hasAcceptableInput()) {
        m_store->setValue(QStringLiteral("puseproxy"), false);
        m_store->sync();
        accept();
        return;
    }
    m_store->setValue(QStringLiteral("puseproxy"), true);
    m_store->setValue(QStringLiteral("phost"), lineEditHost->text());
    m_store->setValue(QStringLiteral("pport"), lineEditPort->text());
    // The combo box shows translated names; the store keeps the fixed ones.
    m_store->setValue(QStringLiteral("ptype"),
                      comboBoxType->currentIndex() == 1 ? QStringLiteral("SOCKS5") : QStringLiteral("HTTP"));
    if (checkBoxNeedLogin->isChecked()) {
        m_store->setValue(QStringLiteral("plogin"), true);
        m_store->setValue(QStringLiteral("puser"), lineEditUser->text());
        // The scrambled password is no secret from those who can read it.
        if (isPrivate)
            m_store->setValue(QStringLiteral("ppassword"), UpdateService::scramblePassword(lineEditPassword->text()));
        else
            qCWarning(lcFrameworkUpdate, "the proxy password is not stored in a file others can read");
    } else {
        m_store->setValue(QStringLiteral("plogin"), false);
    }
    m_store->sync();
    accept();
}

void ProxyDialog::pCancel()
{
    UpdateService::restrictToOwner(*m_store);
    m_store->setValue(QStringLiteral("puseproxy"), false);
    m_store->sync();
    QDialog::reject();
}

void ProxyDialog::reject()
{
    pCancel();
}
