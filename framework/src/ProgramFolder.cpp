#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString programFolder()
{
    return QDir(QCoreApplication::applicationDirPath()).absolutePath();
}

QString dialogBackgroundPath()
{
    return programFolder() + QStringLiteral("/Resources/libKirrFramework/") + QStringLiteral("background.png");
}

QString dialogIconPath()
{
    const QString icon = programFolder() + QStringLiteral("/Resources/about.png");
    if (QFileInfo::exists(icon))
        return icon;
    return programFolder() + QStringLiteral("/Resources/pics_oem/about.png");
}
