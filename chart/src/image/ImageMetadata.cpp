#include <chart/ImageMetadata.h>

#include "engine/dng_tags.h"
#include "platform/big_endian.h"

#include <QFile>

#include <cstring>
#include <map>

namespace {

// Reads integers of either byte order out of a bounded buffer. Every read
// reports whether the bytes lay inside.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size, bool bigEndian)
        : m_data(data), m_size(size), m_big(bigEndian) {}

    bool has(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= m_size && length <= m_size - offset;
    }
    bool u16(std::uint64_t offset, std::uint32_t& v) const
    {
        if (!has(offset, 2))
            return false;
        const std::uint8_t* p = m_data + offset;
        v = m_big ? platform::load_be16(p) : platform::load_le16(p);
        return true;
    }
    bool u32(std::uint64_t offset, std::uint32_t& v) const
    {
        if (!has(offset, 4))
            return false;
        const std::uint8_t* p = m_data + offset;
        v = m_big ? platform::load_be32(p) : platform::load_le32(p);
        return true;
    }
    const std::uint8_t* at(std::uint64_t offset) const { return m_data + offset; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    bool m_big;
};

constexpr std::uint32_t kTagMake = 271;
constexpr std::uint32_t kTagModel = 272;
constexpr std::uint32_t kTagExifIfd = 34665;

// Where the value of a 12-byte IFD entry lies: inline when it fits in four
// bytes, else at the offset the entry holds. False when outside the data.
bool entryValue(const ByteReader& r, std::uint64_t entry, std::uint64_t bytes, std::uint64_t& at)
{
    if (bytes <= 4) {
        at = entry + 8;
        return r.has(at, bytes);
    }
    std::uint32_t offset = 0;
    if (!r.u32(entry + 8, offset))
        return false;
    at = offset;
    return r.has(at, bytes);
}

QString asciiValue(const ByteReader& r, std::uint64_t at, std::uint32_t count)
{
    const char* text = reinterpret_cast<const char*>(r.at(at));
    std::size_t n = 0;
    while (n < count && text[n] != '\0')
        ++n;
    return QString::fromLatin1(text, int(n));
}

// Entry count and the first entry of the IFD at offset; false when the table
// does not lie inside the data.
bool ifdTable(const ByteReader& r, std::uint64_t offset, std::uint32_t& count)
{
    if (!r.u16(offset, count))
        return false;
    return r.has(offset + 2, std::uint64_t(count) * 12);
}

bool readBigEndian32(const std::uint8_t* p, std::size_t size, std::size_t offset, std::uint32_t& v)
{
    return ByteReader(p, size, true).u32(offset, v);
}

}  // namespace

bool parseExifIfd(const std::uint8_t* data, std::size_t size, std::size_t offset, bool bigEndian,
                  ExifExposure& out)
{
    if (!data)
        return false;
    ByteReader r(data, size, bigEndian);
    std::uint32_t count = 0;
    if (!ifdTable(r, offset, count))
        return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t entry = std::uint64_t(offset) + 2 + std::uint64_t(i) * 12;
        std::uint32_t tag = 0, type = 0, n = 0;
        r.u16(entry, tag);
        r.u16(entry + 2, type);
        r.u32(entry + 4, n);
        std::uint32_t* field = nullptr;
        switch (tag) {
        case 33434: field = out.exposureTime; break;
        case 33437: field = out.fNumber; break;
        case 37377: field = out.shutterSpeedValue; break;
        case 37378: field = out.apertureValue; break;
        case 37386: field = out.focalLength; break;
        default: break;
        }
        if (!field || n != 1 || (type != dng::TiffRational && type != dng::TiffSRational))
            continue;
        std::uint64_t at = 0;
        if (!entryValue(r, entry, 8, at))
            continue;
        r.u32(at, field[0]);
        r.u32(at + 4, field[1]);
    }
    return true;
}

bool parseExifTiff(const std::uint8_t* data, std::size_t size, JpegMetadata& out)
{
    if (!data || size < 8)
        return false;
    bool big;
    if (data[0] == 'I' && data[1] == 'I')
        big = false;
    else if (data[0] == 'M' && data[1] == 'M')
        big = true;
    else
        return false;
    ByteReader r(data, size, big);
    std::uint32_t magic = 0, ifd0 = 0;
    r.u16(2, magic);
    r.u32(4, ifd0);
    std::uint32_t count = 0;
    if (magic != 42 || !ifdTable(r, ifd0, count))
        return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t entry = std::uint64_t(ifd0) + 2 + std::uint64_t(i) * 12;
        std::uint32_t tag = 0, type = 0, n = 0;
        r.u16(entry, tag);
        r.u16(entry + 2, type);
        r.u32(entry + 4, n);
        if ((tag == kTagMake || tag == kTagModel) && type == dng::TiffAscii) {
            std::uint64_t at = 0;
            if (!entryValue(r, entry, n, at))
                continue;
            (tag == kTagMake ? out.make : out.model) = asciiValue(r, at, n);
        } else if (tag == kTagExifIfd && (type == dng::TiffLong || type == dng::TiffIfd) && n == 1) {
            std::uint32_t sub = 0;
            if (r.u32(entry + 8, sub) && sub != ifd0)
                parseExifIfd(data, size, sub, big, out.exposure);
        }
    }
    return true;
}

bool readJpegMetadata(const std::uint8_t* data, std::size_t size, JpegMetadata& out)
{
    if (!data || size < 2 || data[0] != 0xFF || data[1] != 0xD8)
        return false;
    // ICC chunks by sequence number; a repeated or inconsistent chunk spoils
    // the profile.
    std::map<int, QByteArray> chunks;
    int chunkCount = 0;
    bool iccBroken = false;

    std::size_t pos = 2;
    bool ok = false;
    while (pos < size) {
        if (data[pos] != 0xFF) {
            ++pos;  // stray byte between segments
            continue;
        }
        while (pos < size && data[pos] == 0xFF)
            ++pos;
        if (pos >= size)
            break;
        const std::uint8_t marker = data[pos++];
        if (marker == 0xD9 || marker == 0xDA) {
            ok = true;
            break;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x00)
            continue;  // markers without a length
        if (size - pos < 2)
            break;
        const std::size_t length = std::size_t(data[pos]) << 8 | data[pos + 1];
        if (length < 2 || length > size - pos)
            break;
        const std::uint8_t* body = data + pos + 2;
        const std::size_t bodySize = length - 2;
        if (marker == 0xE1 && bodySize >= 6 && std::memcmp(body, "Exif\0\0", 6) == 0) {
            parseExifTiff(body + 6, bodySize - 6, out);
        } else if (marker == 0xE2 && bodySize >= 14 && std::memcmp(body, "ICC_PROFILE\0", 12) == 0) {
            const int seq = body[12];
            const int total = body[13];
            if (total == 0 || seq == 0 || seq > total || (chunkCount && total != chunkCount)
                || chunks.count(seq))
                iccBroken = true;
            else {
                chunkCount = total;
                chunks[seq] = QByteArray(reinterpret_cast<const char*>(body + 14), int(bodySize - 14));
            }
        }
        pos += length;
    }
    if (!iccBroken && chunkCount > 0 && int(chunks.size()) == chunkCount) {
        QByteArray icc;
        for (const auto& chunk : chunks)
            icc += chunk.second;
        out.icc = icc;
    }
    return ok;
}

bool readJpegMetadataFile(const QString& path, JpegMetadata& out)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    return readJpegMetadata(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                            std::size_t(bytes.size()), out);
}

bool iccFindTag(const std::uint8_t* data, std::size_t size, std::uint32_t signature,
                std::size_t* offset, std::size_t* length)
{
    std::uint32_t count = 0;
    if (!data || !readBigEndian32(data, size, 128, count))
        return false;
    // The count lies in bytes 128..131, so size >= 132 here.
    if (std::uint64_t(count) * 12 > size - 132)
        return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t entry = 132 + std::size_t(i) * 12;
        std::uint32_t sig = 0, at = 0, bytes = 0;
        readBigEndian32(data, size, entry, sig);
        readBigEndian32(data, size, entry + 4, at);
        readBigEndian32(data, size, entry + 8, bytes);
        if (sig != signature)
            continue;
        if (at > size || bytes > size - at)
            return false;
        if (offset)
            *offset = at;
        if (length)
            *length = bytes;
        return true;
    }
    return false;
}

namespace {

bool containsMaker(const std::uint8_t* data, std::size_t size)
{
    static const char word[] = "Vandrelith";
    const std::size_t n = sizeof(word) - 1;
    for (std::size_t i = 0; i + n <= size; ++i)
        if (std::memcmp(data + i, word, n) == 0)
            return true;
    // UTF-16 in either byte order: the word's letters with a zero between.
    for (std::size_t i = 0; i + 2 * n <= size; ++i) {
        bool be = true, le = true;
        for (std::size_t k = 0; k < n && (be || le); ++k) {
            const std::uint8_t a = data[i + 2 * k], b = data[i + 2 * k + 1];
            be = be && a == 0 && b == std::uint8_t(word[k]);
            le = le && b == 0 && a == std::uint8_t(word[k]);
        }
        if (be || le)
            return true;
    }
    return false;
}

}  // namespace

bool iccIsOwnProfile(const std::uint8_t* data, std::size_t size)
{
    std::size_t offset = 0, length = 0;
    if (!iccFindTag(data, size, platform::signature("P1MX"), nullptr, nullptr))
        return false;
    if (!iccFindTag(data, size, platform::signature("cprt"), &offset, &length))
        return false;
    return containsMaker(data + offset, length);
}

QByteArray iccTargetText(const std::uint8_t* data, std::size_t size)
{
    std::size_t offset = 0, length = 0;
    if (!iccFindTag(data, size, platform::signature("targ"), &offset, &length) || length < 8)
        return QByteArray();
    const std::uint8_t* p = data + offset;
    if (std::memcmp(p, "text", 4) != 0)
        return QByteArray();
    const char* text = reinterpret_cast<const char*>(p + 8);
    std::size_t n = 0;
    while (n < length - 8 && text[n] != '\0')
        ++n;
    return QByteArray(text, int(n));
}
