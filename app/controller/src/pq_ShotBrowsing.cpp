#include "controller/pq_ShotBrowsing.h"

#include <chart/Image.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString pq_shotBrowseFolder(const QString& lastShotPath)
{
    if (!lastShotPath.isEmpty()) {
        const QFileInfo shot(lastShotPath);
        if (shot.absoluteDir().exists())
            return shot.absolutePath();
    }
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        return QDir(pictures).absolutePath();
    return QDir::homePath();
}

QStringList pq_shotNameFilters()
{
    // File names are matched with their case on most systems; cameras write
    // upper-case extensions.
    QStringList patterns;
    for (const QStringList& extensions : {Image::cameraRawExtensions(), Image::imageExtensions()}) {
        for (const QString& extension : extensions)
            patterns << QStringLiteral("*.") + extension << QStringLiteral("*.") + extension.toUpper();
    }
    return {QCoreApplication::translate("peltoQt", "Shots: camera raw, TIFF, JPEG, PNG (%1)")
                .arg(patterns.join(QLatin1Char(' '))),
            QCoreApplication::translate("peltoQt", "All files (*)")};
}
