// The profile of the primary screen: colord's default profile of that
// display when colord runs, else the ICC bytes of the X11 root window's
// _ICC_PROFILE property, else none.
#include "colour/Kirr_colorLibrary.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QScreen>
#include <mutex>

#ifdef VP_HAVE_XCB
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>
#endif

namespace {

std::mutex g_sourceMutex;
std::function<Kirr_DisplayProfileSource()> g_source;

const char *const kService = "org.freedesktop.ColorManager";
constexpr int kTimeoutMs = 500;

QVariant property(const QString &path, const char *interface, const char *name)
{
    QDBusInterface props(QString::fromLatin1(kService), path,
                         QStringLiteral("org.freedesktop.DBus.Properties"),
                         QDBusConnection::systemBus());
    props.setTimeout(kTimeoutMs);
    QDBusReply<QDBusVariant> reply =
        props.call(QStringLiteral("Get"), QString::fromLatin1(interface), QString::fromLatin1(name));
    return reply.isValid() ? reply.value().variant() : QVariant();
}

QList<QDBusObjectPath> objectPaths(const QVariant &v)
{
    QList<QDBusObjectPath> out;
    if (v.canConvert<QDBusArgument>()) {
        const QDBusArgument arg = v.value<QDBusArgument>();
        arg >> out;
    } else if (v.canConvert<QList<QDBusObjectPath>>()) {
        out = v.value<QList<QDBusObjectPath>>();
    }
    return out;
}

QString colordProfilePath()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected() || !bus.interface()
        || !bus.interface()->isServiceRegistered(QString::fromLatin1(kService)).value())
        return QString();
    QDBusInterface manager(QString::fromLatin1(kService),
                           QStringLiteral("/org/freedesktop/ColorManager"),
                           QString::fromLatin1(kService), bus);
    manager.setTimeout(kTimeoutMs);
    QDBusReply<QList<QDBusObjectPath>> devices =
        manager.call(QStringLiteral("GetDevicesByKind"), QStringLiteral("display"));
    if (!devices.isValid() || devices.value().isEmpty())
        return QString();
    QString primaryName;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) && QGuiApplication::primaryScreen())
        primaryName = QGuiApplication::primaryScreen()->name();
    QString chosen = devices.value().first().path();
    if (!primaryName.isEmpty()) {
        for (const QDBusObjectPath &device : devices.value()) {
            const QVariant meta =
                property(device.path(), "org.freedesktop.ColorManager.Device", "Metadata");
            QMap<QString, QString> map;
            if (meta.canConvert<QDBusArgument>())
                meta.value<QDBusArgument>() >> map;
            if (map.value(QStringLiteral("XRANDR_name")) == primaryName) {
                chosen = device.path();
                break;
            }
        }
    }
    const QList<QDBusObjectPath> profiles =
        objectPaths(property(chosen, "org.freedesktop.ColorManager.Device", "Profiles"));
    if (profiles.isEmpty())
        return QString();
    return property(profiles.first().path(), "org.freedesktop.ColorManager.Profile", "Filename")
        .toString();
}

QByteArray x11ProfileBytes()
{
    QByteArray bytes;
#ifdef VP_HAVE_XCB
    const char *display = std::getenv("DISPLAY");
    if (!display || !display[0])
        return bytes;
    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
    if (!c || xcb_connection_has_error(c)) {
        if (c)
            xcb_disconnect(c);
        return bytes;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (it.rem && it.data) {
        const char name[] = "_ICC_PROFILE";
        xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 1, uint16_t(std::strlen(name)), name), nullptr);
        if (atom && atom->atom != XCB_ATOM_NONE) {
            // Up to 64 MB (the length is in 32-bit units).
            xcb_get_property_reply_t *prop = xcb_get_property_reply(
                c,
                xcb_get_property(c, 0, it.data->root, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0,
                                 16u * 1024u * 1024u),
                nullptr);
            if (prop) {
                const int length = xcb_get_property_value_length(prop);
                if (prop->format == 8 && length > 0)
                    bytes = QByteArray(static_cast<const char *>(xcb_get_property_value(prop)),
                                       length);
                std::free(prop);
            }
        }
        std::free(atom);
    }
    xcb_disconnect(c);
#endif
    return bytes;
}

Kirr_DisplayProfileSource systemSource()
{
    Kirr_DisplayProfileSource s;
    s.path = colordProfilePath();
    if (s.path.isEmpty())
        s.bytes = x11ProfileBytes();
    return s;
}

}  // namespace

void Kirr_setDisplayProfileSource(std::function<Kirr_DisplayProfileSource()> source)
{
    std::lock_guard<std::mutex> lock(g_sourceMutex);
    g_source = std::move(source);
}

Kirr_ColorProfileIF *Kirr_displayProfile()
{
    std::function<Kirr_DisplayProfileSource()> source;
    {
        std::lock_guard<std::mutex> lock(g_sourceMutex);
        source = g_source;
    }
    const Kirr_DisplayProfileSource s = source ? source() : systemSource();
    if (!s.path.isEmpty())
        return Kirr_profileFromFile(s.path);
    if (!s.bytes.isEmpty())
        return Kirr_profileFromData(s.bytes);
    return nullptr;
}
