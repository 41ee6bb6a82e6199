// The templates folder that target descriptions are relative to.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QtGlobal>

// The program's templates folder, looked up once; tools and tests may set
// another one first.
QString pq_templatesFolder();
void pq_setTemplatesFolder(const QString &folder);

// The file URL of a local path (percent-encoded, reads back to the path);
// empty for an empty path.
QString pq_fileUrl(const QString &path);

// Largest template picture read, in bytes and in pixels.
constexpr qint64 kMaxPictureSize = 256 * 1024 * 1024;
constexpr qint64 kMaxPicturePixels = 100 * 1000 * 1000;

// True for an existing regular file (not a device, pipe or folder) of at
// most maxSize bytes.
bool pq_isReadableFile(const QString &path, qint64 maxSize);

// A picture from a regular file or a resource, or from bytes; a null image
// when it cannot be read or would be larger than kMaxPicturePixels.
QImage pq_readPicture(const QString &path);
QImage pq_decodePicture(const QByteArray &bytes);
