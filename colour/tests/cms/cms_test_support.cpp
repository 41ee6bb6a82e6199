#include "cms_tests.h"

#include <QFile>

QByteArray readFileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString systemSRGBPath() { return QStringLiteral("/usr/share/color/icc/sRGB.icc"); }
