// The library's exported functions: thin C wrappers around the framework object.

#include <KirrFramework/KirrFrameworkAPI.h>

#include "KirrFramework.h"

#include <QByteArray>
#include <QDir>

namespace {

QString fromC(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

// Each text export keeps its result in a buffer of its own until its next call.
const char* kept(QByteArray& buffer, const QString& text)
{
    buffer = text.toUtf8();
    return buffer.constData();
}

KirrFramework* framework()
{
    return KirrFramework::instance();
}

}  // namespace

extern "C" {

const char* Kirr_getAppContentPath(void)
{
    static QByteArray result;
    return kept(result, QDir::toNativeSeparators(framework()->appContentPath()));
}

const char* Kirr_getPrefsPath(void)
{
    static QByteArray result;
    return kept(result, QDir::toNativeSeparators(framework()->prefsPath()));
}

const char* Kirr_findStyleElement(const char* name)
{
    static QByteArray result;
    return kept(result, framework()->findStyleElement(fromC(name)));
}

const char* Kirr_findCustomElement(const char* file, const char* name)
{
    static QByteArray result;
    return kept(result, framework()->KirrFindCustomElement(fromC(name), fromC(file)));
}

const char* Kirr_getPrefsValue(const char* key, int shared)
{
    static QByteArray result;
    return kept(result, framework()->getPrefsValue(fromC(key), shared != 0));
}

void Kirr_setPrefsValue(const char* key, const char* value, int shared)
{
    framework()->setPrefsValue(fromC(key), fromC(value), shared != 0);
}

void Kirr_splashPanel(void)
{
    framework()->splashPanel();
}

void Kirr_aboutPanel(const char* version)
{
    framework()->aboutPanel(nullptr, fromC(version));
}

void Kirr_showHelp(void)
{
    framework()->showHelp();
}

void Kirr_showSupport(const char* version)
{
    framework()->showSupport(nullptr, fromC(version));
}

void Kirr_searchUpdate(void)
{
    framework()->searchUpdate(nullptr, true);
}

}  // extern "C"
