#include "KirrFramework.h"

#include "AboutDialog.h"
#include "Language.h"
#include "Logging.h"
#include "SplashScreen.h"
#include "StyleFile.h"
#include "SupportDialog.h"
#include "UpdateCheck.h"
#include "UpdateService.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QPixmap>
#include <QSettings>
#include <QUrl>

namespace {

const QString kDefaultVendor = QStringLiteral("Vandrelith");

// Set when the library made its own application without a display to show on.
bool headlessApplication = false;

// Without QT_QPA_PLATFORM and without a display the default platform cannot
// start, and Qt would end the host's process.
bool displayMissing()
{
    return qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
           && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// A host that is no Qt program gets an application object of the library's
// own. QApplication keeps a reference to its argument count, so the count
// lives as long as the process. Without a display the application runs
// offscreen, so that a host that only asks for texts keeps working.
void ensureApplication()
{
    if (QCoreApplication::instance())
        return;
    QCoreApplication::setAttribute(Qt::AA_PluginApplication);
    if (displayMissing()) {
        static char name[] = "KirrFramework";
        static char option[] = "-platform";
        static char platform[] = "offscreen";
        static char* arguments[] = {name, option, platform, nullptr};
        static int argumentCount = 3;
        headlessApplication = true;
        new QApplication(argumentCount, arguments);
        return;
    }
    static int argumentCount = 0;
    new QApplication(argumentCount, nullptr);
}

// Widgets need a QApplication; a host whose application object is a
// QCoreApplication or a QGuiApplication gets no window, and neither does a
// host without a display (a modal dialog there would never end).
bool canShowWidgets(const char* what)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        qCDebug(lcFrameworkPanels, "%s: the host's application object is no QApplication; nothing is shown",
                what);
        return false;
    }
    if (headlessApplication) {
        qCDebug(lcFrameworkPanels, "%s: there is no display; nothing is shown", what);
        return false;
    }
    return true;
}

// Loads exactly the file at path (QTranslator would otherwise also try shortened
// names of it).
bool loadTranslation(QTranslator& translator, const QString& path)
{
    if (!QFileInfo(path).isFile())
        return false;
    return translator.load(path, QString(), QStringLiteral("\x01"), QStringLiteral(""));
}

}  // namespace

KirrFramework* KirrFramework::instance()
{
    static KirrFramework* theFramework = nullptr;
    if (!theFramework) {
        ensureApplication();
        theFramework = new KirrFramework(QCoreApplication::applicationDirPath(), true);
    }
    return theFramework;
}

KirrFramework::KirrFramework(const QString& appDir, bool processWide)
    : m_appDir(QDir::fromNativeSeparators(QDir(appDir).absolutePath())),
      m_language(systemLanguage())
{
    const QSettings iniStore(QSettings::IniFormat, QSettings::UserScope, kDefaultVendor, QString());
    m_prefsFolder = QFileInfo(iniStore.fileName()).absolutePath();

    m_styleDocument = StyleFile::readMain(m_appDir);
    m_product = findStyleElement(QStringLiteral("product"));
    qCDebug(lcFrameworkCore, "%s uses Qt version %s", qUtf8Printable(m_product), qVersion());
    m_vendor = findStyleElement(QStringLiteral("vendor"));
    if (m_vendor.isEmpty())
        m_vendor = kDefaultVendor;
    if (processWide)
        applyApplicationNames();

    m_language = chooseLanguage();
    qCDebug(lcFrameworkCore, "Setting language to %s", qUtf8Printable(m_language));
    if (processWide) {
        QLocale::setDefault(QLocale(m_language));
        installTranslators();
    }
}

KirrFramework::~KirrFramework() = default;

void KirrFramework::applyApplicationNames() const
{
    QCoreApplication::setApplicationName(m_product);
    QCoreApplication::setOrganizationName(m_vendor);
    QCoreApplication::setOrganizationDomain(m_vendor + QLatin1Char('.')
                                            + findStyleElement(QStringLiteral("prefdomain")));
}

// The stored "language", else the stored "languageCode" (the program's own
// settings store), else the style element "language", else the system's.
QString KirrFramework::chooseLanguage() const
{
    const QSettings store(QSettings::NativeFormat, QSettings::UserScope, m_vendor, m_product);
    for (const QString& key : {QStringLiteral("language"), QStringLiteral("languageCode")}) {
        const QString stored = store.value(key).toString();
        if (isLanguageCode(stored))
            return stored;
    }
    const QString styled = findStyleElement(QStringLiteral("language"));
    if (isLanguageCode(styled))
        return styled;
    return systemLanguage();
}

// Installed last, the custom texts are consulted first, then the product's,
// Qt's and the framework's.
void KirrFramework::installTranslators()
{
    const QString resources = m_appDir + QStringLiteral("/Resources");
    const struct {
        QTranslator* translator;
        QString stem;
    } translators[] = {
        {&m_frameworkTranslator, resources + QStringLiteral("/libKirrFramework/KirrFramework_")},
        {&m_qtTranslator, resources + QStringLiteral("/qt_")},
        {&m_productTranslator, resources + QLatin1Char('/') + m_product + QLatin1Char('_')},
        {&m_customTranslator, resources + QStringLiteral("/custom_")},
    };
    for (const auto& entry : translators) {
        if (loadTranslation(*entry.translator, entry.stem + m_language + QStringLiteral(".qm"))
            || loadTranslation(*entry.translator, entry.stem + QStringLiteral("en.qm")))
            QCoreApplication::installTranslator(entry.translator);
    }
}

QString KirrFramework::findStyleElement(const QString& name) const
{
    return StyleFile::lookup(m_styleDocument, m_appDir, m_product, m_language, name);
}

QString KirrFramework::KirrFindCustomElement(const QString& name, const QString& file) const
{
    return StyleFile::customElement(m_appDir, name, file);
}

QSettings& KirrFramework::prefsStore(bool shared)
{
    std::unique_ptr<QSettings>& store = shared ? m_sharedPrefs : m_productPrefs;
    if (!store) {
        const QString organisation =
            UpdateService::storeOrganisation(m_vendor, findStyleElement(QStringLiteral("prefdomain")));
        store = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organisation,
                                            shared ? QStringLiteral("KirrFramework") : m_product);
    }
    return *store;
}

// An empty key names no preference: it reads as empty and is never stored.
QString KirrFramework::getPrefsValue(const QString& key, bool shared)
{
    if (key.isEmpty())
        return QString();
    return prefsStore(shared).value(key, QString()).toString();
}

void KirrFramework::setPrefsValue(const QString& key, const QString& value, bool shared)
{
    if (key.isEmpty()) {
        qCDebug(lcFrameworkCore, "setPrefsValue: an empty key is not stored");
        return;
    }
    QSettings& store = prefsStore(shared);
    if (shared)
        UpdateService::restrictToOwner(store);  // the shared store holds the proxy password
    store.setValue(key, value);
    store.sync();
    if (store.status() != QSettings::NoError)
        qCWarning(lcFrameworkCore, "could not write the preference %s to %s", qUtf8Printable(key),
                  qUtf8Printable(store.fileName()));
}

QString KirrFramework::picturePath(const QString& name) const
{
    const QString resources = m_appDir + QStringLiteral("/Resources/");
    for (const QString& folder : {resources, resources + QStringLiteral("pics_oem/")}) {
        if (QFileInfo::exists(folder + name))
            return folder + name;
    }
    return resources + QStringLiteral("Images/") + name;
}

void KirrFramework::splashPanel()
{
    if (!canShowWidgets("splashPanel"))
        return;
    auto* splash = new SplashScreen(QPixmap(picturePath(QStringLiteral("splash.png"))));
    splash->show();
    searchUpdate(nullptr, false);
}

void KirrFramework::aboutPanel(QWidget* parent, const QString& version)
{
    if (!canShowWidgets("aboutPanel"))
        return;
    AboutDialog box(parent, picturePath(QStringLiteral("about.png")));
    m_versionText = version.isEmpty() ? findStyleElement(QStringLiteral("libversion")) : version;
    box.setTexts(m_vendor, m_product, findStyleElement(QStringLiteral("version")),
                 findStyleElement(QStringLiteral("build")), m_versionText,
                 findStyleElement(QStringLiteral("copyright")));
    box.exec();
}

void KirrFramework::showSupport(QWidget* parent, const QString& version)
{
    if (!canShowWidgets("showSupport"))
        return;
    SupportDialog dialog(parent);
    m_versionText = version;
    if (m_versionText.isEmpty())
        m_versionText = findStyleElement(QStringLiteral("libversion"));
    if (m_versionText.isEmpty())
        m_versionText = QStringLiteral("N/A");
    dialog.setFramework(this);
    dialog.exec();
}

void KirrFramework::searchUpdate(QWidget* parent, bool forced)
{
    if (!canShowWidgets("searchUpdate"))
        return;
    UpdateCheckRequest request;
    request.vendor = m_vendor;
    request.product = findStyleElement(QStringLiteral("product"));
    request.installedVersion = findStyleElement(QStringLiteral("pkgversion"));
    if (request.installedVersion.isEmpty())
        request.installedVersion = findStyleElement(QStringLiteral("version"));
    request.productId = findStyleElement(QStringLiteral("productid"));
    request.forced = forced;
    startUpdateCheck(parent, this, request);
}

// The manual of the interface language in Resources/, else the file the style
// element "manual" names; nothing when neither exists.
void KirrFramework::showHelp()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        qCDebug(lcFrameworkPanels, "showHelp: the host's application object is no QGuiApplication");
        return;
    }
    if (headlessApplication) {
        qCDebug(lcFrameworkPanels, "showHelp: there is no display; nothing is shown");
        return;
    }
    QString path = m_appDir + QStringLiteral("/Resources/")
                   + QCoreApplication::translate("QObject", "manual") + QLatin1Char(' ') + m_vendor
                   + QLatin1Char(' ') + m_product + QStringLiteral(".pdf");
    if (!QFileInfo(path).isFile()) {
        const QString named = findStyleElement(QStringLiteral("manual"));
        if (named.isEmpty())
            return;
        path = QDir(m_appDir).absolutePath() + QLatin1Char('/') + named;
        if (!QFileInfo(path).isFile())
            return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
