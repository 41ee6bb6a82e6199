#include "TextTemplate.h"

QString fillPlaceholders(const QString& text, const QStringList& values)
{
    QString result;
    result.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('%') && i + 1 < text.size() && text[i + 1].isDigit()) {
            int number = text[i + 1].digitValue();
            int length = 1;
            if (i + 2 < text.size() && text[i + 2].isDigit()) {
                const int longer = number * 10 + text[i + 2].digitValue();
                if (longer >= 1 && longer <= values.size()) {
                    number = longer;
                    length = 2;
                }
            }
            if (number >= 1 && number <= values.size()) {
                result += values[number - 1];
                i += length;
                continue;
            }
        }
        result += text[i];
    }
    return result;
}
