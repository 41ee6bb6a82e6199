#pragma once
// Pictures the dialogs take from the running program's folder.

#include <QString>

// The absolute path of the folder of the running executable.
QString programFolder();

// Resources/libKirrFramework/background.png of the program folder.
QString dialogBackgroundPath();

// Resources/about.png of the program folder, else Resources/pics_oem/about.png.
QString dialogIconPath();
