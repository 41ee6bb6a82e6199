#pragma once
// A lighter holder of the style lookups, for objects that keep their own (the
// update request). Unlike KirrFramework it changes no process-wide state, gives
// the vendor no default, and takes the language from the per-product preference
// store (organisation vendor + "." + prefdomain), never from the style file.

#include <QDomDocument>
#include <QObject>
#include <QString>

class XMLController : public QObject {
    Q_OBJECT

public:
    // Reads the style file of the running program's folder.
    XMLController();
    // Reads the style file of the program folder appDir.
    explicit XMLController(const QString& appDir);

    QString findStyleElement(const QString& name) const;
    QString findCustomElement(const QString& name, const QString& file) const;

    QString language() const { return m_language; }

private:
    QString m_appDir;
    QString m_product;
    QDomDocument m_styleDocument;
    QString m_language;
};
