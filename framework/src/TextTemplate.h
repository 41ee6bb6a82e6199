#pragma once
// Filling the numbered placeholders of a (translated) text template.

#include <QString>
#include <QStringList>

// Replaces %1 ... %n (n up to 99) of a template by values[0] ... values[n-1] in
// one pass, so that a value holding "%2" is left as it is.
QString fillPlaceholders(const QString& text, const QStringList& values);
