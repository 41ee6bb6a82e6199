#include "ColorCheckerTarget.h"

#include <QChar>
#include <QFile>

const char* const kColorCheckerReference = "/usr/share/color/argyll/ref/ColorChecker.cie";

QString colorCheckerDefinition()
{
    QString text = QStringLiteral("IS12642\nNUMBER_OF_FIELDS 2\nBEGIN_DATA_FORMAT\n"
                                  "SAMPLE_ID CONTROL\nEND_DATA_FORMAT\nNUMBER_OF_SETS 24\n"
                                  "BEGIN_DATA\n");
    for (int row = 0; row < 4; ++row)
        for (int column = 1; column <= 6; ++column) {
            QString control = QStringLiteral("N");
            if (row == 3)
                control = column == 1 ? QStringLiteral("GBW")
                                      : column == 6 ? QStringLiteral("BK") : QStringLiteral("GB");
            text += QStringLiteral("%1%2 %3\n")
                        .arg(QChar('A' + row))
                        .arg(column, 2, 10, QChar('0'))
                        .arg(control);
        }
    return text + QStringLiteral("END_DATA\n");
}

QString colorCheckerReferenceText()
{
    QFile file(QString::fromLatin1(kColorCheckerReference));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(file.readAll());
}
