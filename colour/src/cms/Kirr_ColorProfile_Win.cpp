#include "colour/Kirr_ColorProfile_Win.h"

#include "colour/Kirr_colorLibrary.h"
#include "platform/atomic_file.h"
#include "platform/big_endian.h"
#include "platform/cms.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <cstring>

namespace cms = platform::cms;

namespace {

cms::Access accessNow()
{
    return Kirr_profilesReadOnly() ? cms::Access::read : cms::Access::read_write;
}

bool writeAtomically(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty() || bytes.isEmpty())
        return false;
    const QByteArray native = QFile::encodeName(QDir::toNativeSeparators(path));
    return platform::write_file_atomically(native.toStdString(),
                                           reinterpret_cast<const uint8_t *>(bytes.constData()),
                                           std::size_t(bytes.size()));
}

}  // namespace

QString Kirr_descriptionFromElement(const QByteArray &element)
{
    const qint64 size = element.size();
    if (size < 4)
        return QString();
    const uchar *e = reinterpret_cast<const uchar *>(element.constData());
    const quint32 type = platform::load_be32(e);
    if (type == Kirr_sig("desc")) {
        if (size < 12)
            return QString();
        const qint64 count = platform::load_be32(e + 8);
        if (count == 0 || 12 + count > size)
            return QString();
        const char *text = reinterpret_cast<const char *>(e + 12);
        const qint64 length = qint64(qstrnlen(text, uint(count)));
        return QString::fromLatin1(text, int(length));
    }
    if (type == Kirr_sig("mluc")) {
        // Header (16 bytes) and the first record (12 bytes) must be there.
        if (size < 28)
            return QString();
        const quint32 records = platform::load_be32(e + 8);
        const quint32 recordSize = platform::load_be32(e + 12);
        if (records == 0 || recordSize < 12)
            return QString();
        const qint64 length = platform::load_be32(e + 20);
        const qint64 offset = platform::load_be32(e + 24);
        if (offset + length > size)
            return QString();
        const qint64 units = length / 2;
        QString text;
        text.reserve(int(units));
        for (qint64 i = 0; i < units; ++i) {
            const uchar *u = e + offset + 2 * i;
            text.append(QChar(ushort((u[0] << 8) | u[1])));
        }
        // Some writers count a terminating zero in the length.
        while (text.endsWith(QChar(0)))
            text.chop(1);
        return text;
    }
    return QString();
}

Kirr_ColorProfile_Win::Kirr_ColorProfile_Win() = default;

Kirr_ColorProfile_Win::Kirr_ColorProfile_Win(const QByteArray &bytes) : m_bytes(bytes)
{
    if (m_bytes.isEmpty()) {
        m_openError = QString::fromLatin1(cms::status_text(cms::Status::empty));
        return;
    }
    cms::Status status = cms::Status::ok;
    m_profile = cms::Profile::open_memory(reinterpret_cast<const uint8_t *>(m_bytes.constData()),
                                          std::size_t(m_bytes.size()), accessNow(), &status);
    if (!m_profile)
        m_openError = QString::fromLatin1(cms::status_text(status));
}

Kirr_ColorProfile_Win::Kirr_ColorProfile_Win(const QString &path)
    : m_path(QDir::fromNativeSeparators(path))
{
    cms::Status status = cms::Status::bad_argument;
    if (!m_path.isEmpty())
        m_profile = cms::Profile::open_file(
            QFile::encodeName(QDir::toNativeSeparators(m_path)).toStdString(), accessNow(),
            &status);
    if (!m_profile)
        m_openError = m_path + QStringLiteral(": ") + QString::fromLatin1(cms::status_text(status));
}

Kirr_ColorProfile_Win::Kirr_ColorProfile_Win(const Kirr_ColorProfileIF &other)
{
    const auto *src = dynamic_cast<const Kirr_ColorProfile_Win *>(&other);
    if (!src || !src->isValid()) {
        m_openError = QStringLiteral("not a valid ICC profile");
        return;
    }
    Kirr_ColorProfile_Win *copy = src->m_profile->is_file()
        ? new Kirr_ColorProfile_Win(src->m_path)
        : new Kirr_ColorProfile_Win(src->data());
    swap(*copy);
    delete copy;
}

Kirr_ColorProfile_Win::~Kirr_ColorProfile_Win() = default;

void Kirr_ColorProfile_Win::swap(Kirr_ColorProfile_Win &other)
{
    m_bytes.swap(other.m_bytes);
    m_path.swap(other.m_path);
    m_profile.swap(other.m_profile);
    m_openError.swap(other.m_openError);
}

QString Kirr_ColorProfile_Win::openError() const { return m_openError; }

const platform::cms::Profile *Kirr_ColorProfile_Win::handle() const { return m_profile.get(); }

bool Kirr_ColorProfile_Win::isValid() const
{
    if (!m_profile)
        return false;
    if (m_profile->is_file())
        return QFileInfo::exists(m_path);
    return !m_profile->bytes().empty();
}

quint32 Kirr_ColorProfile_Win::colorSpace() const
{
    return m_profile ? Kirr_normalizeColorSpace(m_profile->header().colour_space)
                     : Kirr_blankSignature;
}

quint32 Kirr_ColorProfile_Win::connectionSpace() const
{
    return m_profile ? Kirr_normalizeColorSpace(m_profile->header().connection_space)
                     : Kirr_blankSignature;
}

quint32 Kirr_ColorProfile_Win::deviceClass() const
{
    return m_profile ? Kirr_normalizeProfileClass(m_profile->header().device_class)
                     : Kirr_blankSignature;
}

QString Kirr_ColorProfile_Win::description() const
{
    quint32 size = 0;
    if (!m_profile || !m_profile->element_size(Kirr_sig("desc"), &size) || size == 0)
        return QString();
    QByteArray element(int(size), '\0');
    if (m_profile->read_element(Kirr_sig("desc"), element.data(), &size) != cms::Status::ok)
        return QString();
    return Kirr_descriptionFromElement(element);
}

QByteArray Kirr_ColorProfile_Win::data() const
{
    if (!m_profile)
        return QByteArray();
    if (m_profile->is_file()) {
        QFile f(m_path);
        if (!f.open(QIODevice::ReadOnly))
            return QByteArray();
        return f.readAll();
    }
    const std::vector<uint8_t> &b = m_profile->bytes();
    // Unchanged memory profiles give back exactly the bytes they were made of.
    if (std::size_t(m_bytes.size()) >= b.size()
        && std::memcmp(m_bytes.constData(), b.data(), b.size()) == 0)
        return m_bytes;
    return QByteArray(reinterpret_cast<const char *>(b.data()), int(b.size()));
}

QString Kirr_ColorProfile_Win::path() const
{
    return (m_profile && m_profile->is_file()) ? m_path : QString();
}

bool Kirr_ColorProfile_Win::saveAs(const QString &target) const
{
    if (target.isEmpty() || !m_profile)
        return false;
    if (m_profile->is_file() && QFileInfo::exists(m_path)) {
        // Saving onto its own file: the file already holds the profile.
        if (QFileInfo(target).absoluteFilePath() == QFileInfo(m_path).absoluteFilePath()
            || (QFileInfo::exists(target)
                && QFileInfo(target).canonicalFilePath() == QFileInfo(m_path).canonicalFilePath()))
            return true;
    }
    const QByteArray bytes = data();
    return writeAtomically(target, bytes);
}

bool Kirr_ColorProfile_Win::readXYZTag(quint32 tag, double &X, double &Y, double &Z) const
{
    if (!m_profile)
        return false;
    uchar buf[20];
    quint32 size = sizeof buf;
    if (m_profile->read_element(tag, buf, &size) != cms::Status::ok || size != 20)
        return false;
    X = qint32(platform::load_be32(buf + 8)) / 65536.0;
    Y = qint32(platform::load_be32(buf + 12)) / 65536.0;
    Z = qint32(platform::load_be32(buf + 16)) / 65536.0;
    return true;
}

bool Kirr_ColorProfile_Win::writeXYZTag(quint32 tag, double X, double Y, double Z)
{
    if (!m_profile)
        return false;
    uchar buf[20];
    quint32 size = sizeof buf;
    if (m_profile->read_element(tag, buf, &size) != cms::Status::ok || size != 20)
        return false;
    const double v[3] = {X, Y, Z};
    for (int i = 0; i < 3; ++i) {
        const double fixed = std::floor(v[i] * 65536.0 + 0.5);
        if (!(fixed >= -2147483648.0 && fixed <= 2147483647.0))
            return false;
        platform::store_be32(buf + 8 + 4 * i, quint32(qint32(fixed)));
    }
    return m_profile->set_element(tag, 0, 20, buf) == cms::Status::ok;
}

bool Kirr_ColorProfile_Win::readTag(quint32 tag, quint32 &size, void *buffer) const
{
    if (!m_profile || !m_profile->has_tag(tag))
        return false;
    if (!buffer)
        return m_profile->element_size(tag, &size);
    return m_profile->read_element(tag, buffer, &size) == cms::Status::ok;
}

bool Kirr_ColorProfile_Win::writeTag(quint32 tag, quint32 size, const void *bytes)
{
    if (!m_profile || (size && !bytes))
        return false;
    if (m_profile->set_element_size(tag, size) != cms::Status::ok)
        return false;
    return m_profile->set_element(tag, 0, size, bytes) == cms::Status::ok;
}
