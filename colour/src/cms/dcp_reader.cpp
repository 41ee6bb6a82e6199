#include "dcp_reader.h"

#include "platform/big_endian.h"

#include <cmath>
#include <cstring>

namespace dcp {

namespace {

constexpr uint32_t maxEntries = 4096;
constexpr int maxDivisions = 4096;

int typeSize(uint16_t type)
{
    static const int sizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    return type < 13 ? sizes[type] : 0;
}

class Reader
{
public:
    Reader(const QByteArray &b, bool big)
        : m_p(reinterpret_cast<const uint8_t *>(b.constData())), m_size(uint64_t(b.size())),
          m_big(big)
    {
    }
    uint64_t size() const { return m_size; }
    uint16_t u16(uint64_t at) const
    {
        const uint8_t *p = m_p + at;
        return m_big ? platform::load_be16(p) : platform::load_le16(p);
    }
    uint32_t u32(uint64_t at) const
    {
        const uint8_t *p = m_p + at;
        return m_big ? platform::load_be32(p) : platform::load_le32(p);
    }
    const uint8_t *at(uint64_t offset) const { return m_p + offset; }

    // Value i of an entry as a double; the entry has been bound-checked.
    bool number(const Entry &e, uint32_t i, double *v) const
    {
        if (i >= e.count)
            return false;
        const uint64_t o = e.offset + uint64_t(i) * uint64_t(typeSize(e.type));
        switch (e.type) {
        case 1: case 7: *v = *at(o); return true;
        case 6: *v = int8_t(*at(o)); return true;
        case 3: *v = u16(o); return true;
        case 8: *v = int16_t(u16(o)); return true;
        case 4: *v = u32(o); return true;
        case 9: *v = int32_t(u32(o)); return true;
        case 5:
        case 10: {
            const uint32_t n = u32(o), d = u32(o + 4);
            if (d == 0)
                return false;
            *v = e.type == 5 ? double(n) / double(d) : double(int32_t(n)) / double(int32_t(d));
            return std::isfinite(*v);
        }
        case 11: {
            const uint32_t bits = u32(o);
            float f;
            std::memcpy(&f, &bits, 4);
            *v = f;
            return std::isfinite(f);
        }
        case 12: {
            uint64_t bits = m_big ? (uint64_t(u32(o)) << 32) | u32(o + 4)
                                  : (uint64_t(u32(o + 4)) << 32) | u32(o);
            std::memcpy(v, &bits, 8);
            return std::isfinite(*v);
        }
        default: return false;
        }
    }

private:
    const uint8_t *m_p;
    uint64_t m_size;
    bool m_big;
};

QString text(const Reader &r, const Entry &e)
{
    if (e.type != 2 && e.type != 1 && e.type != 7)
        return QString();
    const char *p = reinterpret_cast<const char *>(r.at(e.offset));
    const uint32_t n = uint32_t(qstrnlen(p, e.length));
    return QString::fromUtf8(p, int(n));
}

bool matrix(const Reader &r, const Entry &e, std::array<double, 9> *m)
{
    if (e.count != 9)
        return false;
    for (uint32_t i = 0; i < 9; ++i)
        if (!r.number(e, i, &(*m)[i]))
            return false;
    return true;
}

bool dims(const Reader &r, const Entry &e, Table *t)
{
    if (e.count != 2 && e.count != 3)
        return false;
    double v[3] = {0, 0, 1};
    for (uint32_t i = 0; i < e.count; ++i)
        if (!r.number(e, i, &v[i]))
            return false;
    for (double d : v)
        if (d < 1 || d > maxDivisions)
            return false;
    t->hue = int(v[0]);
    t->sat = int(v[1]);
    t->val = int(v[2]);
    return t->sat >= 2 || (t->hue == 1 && t->sat == 1);
}

bool tableData(const Reader &r, const Entry &e, Table *t)
{
    const uint64_t n = uint64_t(t->hue) * uint64_t(t->sat) * uint64_t(t->val) * 3u;
    if (e.type != 11 || e.count != n)
        return false;
    t->data.resize(int(n));
    for (uint32_t i = 0; i < n; ++i) {
        double v;
        if (!r.number(e, i, &v))
            return false;
        t->data[int(i)] = float(v);
    }
    return true;
}

}  // namespace

bool parse(const QByteArray &bytes, Profile *out, QString *error)
{
    auto fail = [error](const char *why) {
        if (error)
            *error = QString::fromLatin1(why);
        return false;
    };
    *out = Profile();
    if (bytes.size() < 8)
        return fail("file shorter than a camera-profile header");
    const char *b = bytes.constData();
    bool big;
    if (std::memcmp(b, "IIRC", 4) == 0)
        big = false;
    else if (std::memcmp(b, "MMCR", 4) == 0)
        big = true;
    else
        return fail("no camera-profile signature (IIRC or MMCR)");
    Reader r(bytes, big);
    out->bigEndian = big;
    const uint64_t ifd = r.u32(4);
    if (ifd < 8 || ifd + 2 > r.size())
        return fail("directory offset outside the file");
    const uint32_t count = r.u16(ifd);
    if (count == 0 || count > maxEntries || ifd + 2 + uint64_t(count) * 12u > r.size())
        return fail("directory does not fit in the file");
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t at = ifd + 2 + uint64_t(i) * 12u;
        Entry e;
        const uint16_t tag = r.u16(at);
        e.type = r.u16(at + 2);
        e.count = r.u32(at + 4);
        const int ts = typeSize(e.type);
        if (ts == 0)
            continue;  // unknown type: skipped
        const uint64_t length = uint64_t(e.count) * uint64_t(ts);
        const uint64_t offset = length <= 4 ? at + 8 : r.u32(at + 8);
        if (offset + length > r.size())
            return fail("tag data lies outside the file");
        e.offset = uint32_t(offset);
        e.length = uint32_t(length);
        out->entries.emplace(tag, e);
    }
    auto find = [out](uint16_t tag) -> const Entry * {
        auto it = out->entries.find(tag);
        return it == out->entries.end() ? nullptr : &it->second;
    };
    const Entry *e;
    if (!(e = find(ColorMatrix1)) || !matrix(r, *e, &out->colorMatrix1))
        return fail("no valid ColorMatrix1");
    if ((e = find(ColorMatrix2))) {
        if (!matrix(r, *e, &out->colorMatrix2))
            return fail("malformed ColorMatrix2");
        out->hasMatrix2 = true;
    }
    double v = 0;
    if ((e = find(CalibrationIlluminant1)) && r.number(*e, 0, &v))
        out->illuminant1 = int(v);
    if ((e = find(CalibrationIlluminant2)) && r.number(*e, 0, &v))
        out->illuminant2 = int(v);
    if ((e = find(ForwardMatrix1))) {
        if (!matrix(r, *e, &out->forwardMatrix1))
            return fail("malformed ForwardMatrix1");
        out->hasForward = true;
        out->forwardMatrix2 = out->forwardMatrix1;
        if ((e = find(ForwardMatrix2)) && out->hasMatrix2 && !matrix(r, *e, &out->forwardMatrix2))
            return fail("malformed ForwardMatrix2");
    }
    if ((e = find(UniqueCameraModel)))
        out->uniqueCameraModel = text(r, *e);
    if ((e = find(ProfileName)))
        out->profileName = text(r, *e);
    if ((e = find(ProfileCopyright)))
        out->copyright = text(r, *e);

    if ((e = find(ProfileHueSatMapDims))) {
        Table t;
        if (!dims(r, *e, &t))
            return fail("malformed ProfileHueSatMapDims");
        if ((e = find(ProfileHueSatMapData1))) {
            out->hueSat1 = t;
            if (!tableData(r, *e, &out->hueSat1))
                return fail("ProfileHueSatMapData1 does not match its dimensions");
        }
        if ((e = find(ProfileHueSatMapData2))) {
            out->hueSat2 = t;
            if (!tableData(r, *e, &out->hueSat2))
                return fail("ProfileHueSatMapData2 does not match its dimensions");
        }
    }
    if ((e = find(ProfileLookTableDims))) {
        Table t;
        if (!dims(r, *e, &t))
            return fail("malformed ProfileLookTableDims");
        if ((e = find(ProfileLookTableData))) {
            out->look = t;
            if (!tableData(r, *e, &out->look))
                return fail("ProfileLookTableData does not match its dimensions");
        }
    }
    if ((e = find(ProfileHueSatMapEncoding)) && r.number(*e, 0, &v))
        out->hueSatEncoding = int(v);
    if ((e = find(ProfileLookTableEncoding)) && r.number(*e, 0, &v))
        out->lookEncoding = int(v);
    if ((e = find(ProfileToneCurve)) && e->type == 11 && e->count % 2 == 0) {
        out->toneCurve.resize(int(e->count));
        for (uint32_t i = 0; i < e->count; ++i) {
            if (!r.number(*e, i, &v))
                return fail("malformed ProfileToneCurve");
            out->toneCurve[int(i)] = float(v);
        }
    }
    if ((e = find(BaselineExposureOffset)) && r.number(*e, 0, &v))
        out->baselineExposureOffset = v;
    if ((e = find(DefaultBlackRender)) && r.number(*e, 0, &v))
        out->defaultBlackRender = int(v);
    return true;
}

}  // namespace dcp
