#pragma once
// The framework object behind the library's exports: the product's names from
// the style file, the interface language and the translators, the shared and
// per-product preferences, style lookups, the manual and the panels (splash
// screen, about box, support dialog, update check).

#include <QDomDocument>
#include <QObject>
#include <QString>
#include <QTranslator>

#include <memory>

class QSettings;
class QWidget;

class KirrFramework : public QObject {
    Q_OBJECT

public:
    // The process-wide framework, created on first use for the folder of the
    // running executable. Creating it makes a QApplication when none exists,
    // replaces the application and organisation names, sets the default
    // locale and installs the translators. It is never destroyed.
    static KirrFramework* instance();

    // A framework for the program folder appDir. With processWide it makes the
    // process-wide changes of instance(); without, it only reads the style file
    // and chooses the language.
    explicit KirrFramework(const QString& appDir, bool processWide = false);
    ~KirrFramework() override;

    QString appContentPath() const { return m_appDir; }
    QString prefsPath() const { return m_prefsFolder; }
    QString vendor() const { return m_vendor; }
    QString product() const { return m_product; }
    QString language() const { return m_language; }
    // The version text of the last about or support request.
    QString versionText() const { return m_versionText; }

    QString findStyleElement(const QString& name) const;
    QString KirrFindCustomElement(const QString& name, const QString& file) const;

    QString getPrefsValue(const QString& key, bool shared);
    // The value is written to the store's file before the call returns.
    void setPrefsValue(const QString& key, const QString& value, bool shared);

    void splashPanel();
    void aboutPanel(QWidget* parent, const QString& version);
    void showHelp();
    void showSupport(QWidget* parent, const QString& version);
    void searchUpdate(QWidget* parent, bool forced);

    // The file name in the first of Resources/, Resources/pics_oem/ and
    // Resources/Images/ that holds it (the last whether or not it does).
    QString picturePath(const QString& name) const;

private:
    QString chooseLanguage() const;
    void applyApplicationNames() const;
    void installTranslators();
    QSettings& prefsStore(bool shared);

    QString m_vendor;
    QString m_product;
    QString m_appDir;
    QString m_versionText;
    QString m_prefsFolder;
    QString m_language;
    QDomDocument m_styleDocument;
    std::unique_ptr<QSettings> m_productPrefs;
    std::unique_ptr<QSettings> m_sharedPrefs;
    QTranslator m_customTranslator;
    QTranslator m_productTranslator;
    QTranslator m_qtTranslator;
    QTranslator m_frameworkTranslator;
};
