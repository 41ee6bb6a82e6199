#pragma once
// Desktop services: the screen's logical dots per inch, showing a file in the
// desktop's file manager and opening URLs. Each can be replaced, for tests.

#include <QString>
#include <QUrl>

#include <functional>

namespace platform {

// Horizontal logical dots per inch of the primary screen; 96 without one.
double screenLogicalDpi();
// Selects the file in the desktop's file manager (the freedesktop
// FileManager1 "ShowItems" call), else opens the folder that holds it.
bool showInFileManager(const QString& path);
// Opens the URL with the desktop's handler of its scheme.
bool openUrl(const QUrl& url);

// Replacements; an empty function restores the desktop's own service.
void setScreenLogicalDpiSource(std::function<double()> source);
void setFileManagerShower(std::function<bool(const QString&)> shower);

}  // namespace platform
