#pragma once
// Interface language codes. A language reaches file names ("KirrFramework_de.qm",
// "pelto5_de.xml"), so only two lower-case ASCII letters count as one.

#include <QString>

bool isLanguageCode(const QString& text);

// The first two characters of the system locale's name, or "en" when they are
// no language (the locale "C", for one).
QString systemLanguage();
