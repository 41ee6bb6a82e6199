// The "xml" QSettings format: settings stored as an XML document.
//
// Layout (see colour/src/values/xml_settings_format.md): a root element
// <settings version="1"> holding <group name="..."> elements, which nest, and
// <value name="...">text</value> elements. A key "a/b/c" is the value "c" in
// group "b" in group "a". A list value carries type="list" and one
// <item>text</item> per entry. Values read back as QString (lists as
// QStringList); numbers are written in their shortest exact form.
#pragma once

#include <QSettings>

class QIODevice;

// The format, registered with QSettings under the name "xml" (extension
// ".xml", case-sensitive keys) on the first call; safe from any thread.
QSettings::Format Kirr_xmlSettingsFormat();

// The reader and writer behind the format. The reader refuses (false, map
// left empty) anything but a well-formed document of the layout above: other
// elements, document type declarations, empty names or names holding '/',
// a key given twice, nesting deeper than 64 groups. The writer fails on an
// empty key or a value that is neither a single value convertible to text nor
// a list of such values.
bool Kirr_readXmlSettings(QIODevice &device, QSettings::SettingsMap &map);
bool Kirr_writeXmlSettings(QIODevice &device, const QSettings::SettingsMap &map);
