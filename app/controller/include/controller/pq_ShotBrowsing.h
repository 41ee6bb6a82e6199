#pragma once
// Where the shot browser opens and which files it offers.

#include <QString>
#include <QStringList>

// The folder of lastShotPath when it still exists, else the user's pictures
// folder when it exists, else the home folder.
QString pq_shotBrowseFolder(const QString& lastShotPath);

// The browser's name filters: every shot the image loader reads (camera raw,
// TIFF, JPEG, PNG and BMP, in both letter cases), then all files.
QStringList pq_shotNameFilters();
