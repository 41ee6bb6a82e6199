#include "XMLController.h"

#include "Language.h"
#include "StyleFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>

XMLController::XMLController() : XMLController(QCoreApplication::applicationDirPath()) {}

XMLController::XMLController(const QString& appDir)
    : m_appDir(QDir::fromNativeSeparators(QDir(appDir).absolutePath())),
      m_styleDocument(StyleFile::readMain(m_appDir)),
      m_language(systemLanguage())
{
    m_product = findStyleElement(QStringLiteral("product"));
    const QSettings store(QSettings::NativeFormat, QSettings::UserScope,
                          findStyleElement(QStringLiteral("vendor")) + QLatin1Char('.')
                              + findStyleElement(QStringLiteral("prefdomain")),
                          m_product);
    for (const QString& key : {QStringLiteral("language"), QStringLiteral("languageCode")}) {
        const QString stored = store.value(key).toString();
        if (isLanguageCode(stored)) {
            m_language = stored;
            break;
        }
    }
}

QString XMLController::findStyleElement(const QString& name) const
{
    return StyleFile::lookup(m_styleDocument, m_appDir, m_product, m_language, name);
}

QString XMLController::findCustomElement(const QString& name, const QString& file) const
{
    return StyleFile::customElement(m_appDir, name, file);
}
