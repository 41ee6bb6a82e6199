#include "Language.h"

#include <QLocale>

bool isLanguageCode(const QString& text)
{
    if (text.size() != 2)
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('a') || c > QLatin1Char('z'))
            return false;
    }
    return true;
}

QString systemLanguage()
{
    const QString code = QLocale::system().name().left(2);
    return isLanguageCode(code) ? code : QStringLiteral("en");
}
