#pragma once
// Files of the style form: an XML document whose root holds flat elements, one
// per setting, each with text content. The framework and XMLController read
// their style files and look elements up through these functions.

#include <QDomDocument>
#include <QString>

namespace StyleFile {

// The document type name every style document is created with.
QDomDocument emptyDocument();

// Parses the file at path. A file that cannot be opened or parsed logs
// "failed to open <path>" or "failed to parse <path>" and gives an empty document.
QDomDocument read(const QString& path);

// The program's style file: appDir/Resources/style.xml, else appDir/style.xml.
QDomDocument readMain(const QString& appDir);

// The text of the first direct child element of the root named name
// (case-sensitive) whose text is not empty; empty when there is none.
QString element(const QDomDocument& document, const QString& name);

// The element name of a file of the style form, read anew on every call. A file
// name with a separator ("/" or "\") is a path, absolute or relative to the
// current folder; a bare name lives in appDir/Resources/. A missing file (or
// anything else that is no regular file) gives an empty text without a message.
QString customElement(const QString& appDir, const QString& name, const QString& file);

// The element name of the style document, else of the per-language style file
// <product>_<language>.xml, else of <product>_en.xml.
QString lookup(const QDomDocument& document, const QString& appDir, const QString& product,
               const QString& language, const QString& name);

}  // namespace StyleFile
