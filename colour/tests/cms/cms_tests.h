#pragma once

#include <QByteArray>
#include <QString>

// Bytes of a file; empty when it cannot be read.
QByteArray readFileBytes(const QString &path);
// The sRGB profile of icc-profiles-free.
QString systemSRGBPath();
