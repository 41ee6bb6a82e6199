#include <chart/RawImage.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr int kMaxChannels = 4096;

int bytesFor(int bits)
{
    switch (bits) {
    case 8: return 1;
    case 16: return 2;
    case 32: return 4;
    default: return 0;
    }
}

std::uint16_t to16(float v)
{
    if (!(v > 0.0f))  // also NaN
        return 0;
    if (v >= 1.0f)
        return 65535;
    return static_cast<std::uint16_t>(std::lround(v * 65535.0f));
}

std::uint8_t to8(std::uint16_t v)
{
    return static_cast<std::uint8_t>((v + 128u) / 257u);
}

} // namespace

RawImage::RawImage() = default;

RawImage::RawImage(int width, int height, int channels, int bitsPerSample, const QString& make,
                   const QString& model, const QString& software, int fullWidth, int fullHeight)
{
    allocate(width, height, channels, bitsPerSample, make, model, software, fullWidth, fullHeight);
}

RawImage::RawImage(const RawImage& other)
{
    *this = other;
}

RawImage& RawImage::operator=(const RawImage& other)
{
    if (this == &other)
        return *this;
    if (other.isNull()) {
        clear();
    } else if (allocate(other.m_width, other.m_height, other.m_channels, other.m_bits)) {
        std::memcpy(m_data.get(), other.m_data.get(), m_stride * static_cast<std::size_t>(m_height));
    }
    m_fullWidth = other.m_fullWidth;
    m_fullHeight = other.m_fullHeight;
    m_make = other.m_make;
    m_model = other.m_model;
    m_software = other.m_software;
    return *this;
}

RawImage::RawImage(RawImage&& other) noexcept
{
    *this = std::move(other);
}

RawImage& RawImage::operator=(RawImage&& other) noexcept
{
    if (this == &other)
        return *this;
    m_width = other.m_width;
    m_height = other.m_height;
    m_channels = other.m_channels;
    m_bits = other.m_bits;
    m_stride = other.m_stride;
    m_data = std::move(other.m_data);
    m_fullWidth = other.m_fullWidth;
    m_fullHeight = other.m_fullHeight;
    m_make = std::move(other.m_make);
    m_model = std::move(other.m_model);
    m_software = std::move(other.m_software);
    other.clear();
    return *this;
}

RawImage::~RawImage() = default;

bool RawImage::allocate(int width, int height, int channels, int bitsPerSample, const QString& make,
                        const QString& model, const QString& software, int fullWidth, int fullHeight)
{
    clear();
    m_make = make;
    m_model = model;
    m_software = software;
    m_fullWidth = std::max(0, fullWidth);
    m_fullHeight = std::max(0, fullHeight);

    const int bytes = bytesFor(bitsPerSample);
    if (width < 1 || height < 1 || channels < 1 || channels > kMaxChannels || bytes == 0)
        return false;
    const std::size_t maxSize = static_cast<std::size_t>(std::numeric_limits<std::ptrdiff_t>::max());
    const std::size_t rowBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(channels)
                                 * static_cast<std::size_t>(bytes);
    if (rowBytes / static_cast<std::size_t>(channels) / static_cast<std::size_t>(bytes)
            != static_cast<std::size_t>(width)
        || rowBytes > maxSize - 3)
        return false;
    const std::size_t stride = (rowBytes + 3) & ~static_cast<std::size_t>(3);
    if (stride > maxSize / static_cast<std::size_t>(height))
        return false;
    const std::size_t total = stride * static_cast<std::size_t>(height);

    std::uint8_t* data = new (std::nothrow) std::uint8_t[total]();
    if (!data)
        return false;
    m_data.reset(data);
    m_width = width;
    m_height = height;
    m_channels = channels;
    m_bits = bitsPerSample;
    m_stride = stride;
    return true;
}

void RawImage::clear()
{
    m_data.reset();
    m_width = m_height = m_channels = m_bits = 0;
    m_stride = 0;
}

void RawImage::setMake(const QString& make) { m_make = make; }
void RawImage::setModel(const QString& model) { m_model = model; }
void RawImage::setSoftware(const QString& software) { m_software = software; }

void RawImage::setFullSize(int fullWidth, int fullHeight)
{
    m_fullWidth = std::max(0, fullWidth);
    m_fullHeight = std::max(0, fullHeight);
}

int RawImage::width() const { return m_width; }
int RawImage::height() const { return m_height; }
int RawImage::channels() const { return m_channels; }
int RawImage::bitsPerSample() const { return m_bits; }
int RawImage::bytesPerSample() const { return bytesFor(m_bits); }

int RawImage::sampleType() const
{
    if (!m_data)
        return NoSamples;
    switch (m_bits) {
    case 8: return Samples8;
    case 16: return Samples16;
    default: return SamplesFloat;
    }
}

std::size_t RawImage::stride() const { return m_stride; }
bool RawImage::isNull() const { return !m_data; }
int RawImage::fullWidth() const { return m_fullWidth; }
int RawImage::fullHeight() const { return m_fullHeight; }
QString RawImage::make() const { return m_make; }
QString RawImage::model() const { return m_model; }
QString RawImage::software() const { return m_software; }

const std::uint8_t* RawImage::rowBytes(int row) const
{
    if (!m_data || row < 0 || row >= m_height)
        return nullptr;
    return m_data.get() + m_stride * static_cast<std::size_t>(row);
}

std::uint8_t* RawImage::rowBytes(int row)
{
    return const_cast<std::uint8_t*>(static_cast<const RawImage*>(this)->rowBytes(row));
}

const std::uint8_t* RawImage::rowData8(int row) const
{
    return m_bits == 8 ? rowBytes(row) : nullptr;
}

std::uint8_t* RawImage::rowData8(int row)
{
    return m_bits == 8 ? rowBytes(row) : nullptr;
}

const std::uint16_t* RawImage::rowData16(int row) const
{
    return m_bits == 16 ? reinterpret_cast<const std::uint16_t*>(rowBytes(row)) : nullptr;
}

std::uint16_t* RawImage::rowData16(int row)
{
    return m_bits == 16 ? reinterpret_cast<std::uint16_t*>(rowBytes(row)) : nullptr;
}

const float* RawImage::rowDataFloat(int row) const
{
    return m_bits == 32 ? reinterpret_cast<const float*>(rowBytes(row)) : nullptr;
}

float* RawImage::rowDataFloat(int row)
{
    return m_bits == 32 ? reinterpret_cast<float*>(rowBytes(row)) : nullptr;
}

bool RawImage::inRange(int x, int y, int c) const
{
    return m_data && x >= 0 && x < m_width && y >= 0 && y < m_height && c >= 0 && c < m_channels;
}

std::uint16_t RawImage::sample16(int x, int y, int c) const
{
    if (!inRange(x, y, c))
        return 0;
    const std::size_t i = static_cast<std::size_t>(x) * m_channels + c;
    switch (m_bits) {
    case 8: return static_cast<std::uint16_t>(rowData8(y)[i] * 257u);
    case 16: return rowData16(y)[i];
    default: return to16(rowDataFloat(y)[i]);
    }
}

std::uint8_t RawImage::sample8(int x, int y, int c) const
{
    if (!inRange(x, y, c))
        return 0;
    if (m_bits == 8)
        return rowData8(y)[static_cast<std::size_t>(x) * m_channels + c];
    return to8(sample16(x, y, c));
}

double RawImage::sampleValue(int x, int y, int c) const
{
    if (!inRange(x, y, c))
        return 0.0;
    const std::size_t i = static_cast<std::size_t>(x) * m_channels + c;
    switch (m_bits) {
    case 8: return rowData8(y)[i];
    case 16: return rowData16(y)[i];
    default: return rowDataFloat(y)[i];
    }
}

bool RawImage::channelMinMax(int c, double& min, double& max) const
{
    min = max = 0.0;
    if (!m_data || c < 0 || c >= m_channels || m_width < 1 || m_height < 1)
        return false;
    const std::size_t n = static_cast<std::size_t>(m_width) * m_channels;
    const std::size_t first = static_cast<std::size_t>(c), step = static_cast<std::size_t>(m_channels);
    // Integer samples: the range over every row, read straight from the rows.
    auto integerRange = [&](auto rowOf) {
        auto lo = rowOf(0)[first], hi = lo;
        for (int y = 0; y < m_height; ++y) {
            const auto* p = rowOf(y);
            for (std::size_t i = first; i < n; i += step) {
                lo = std::min(lo, p[i]);
                hi = std::max(hi, p[i]);
            }
        }
        min = lo;
        max = hi;
        return true;
    };
    if (m_bits == 8)
        return integerRange([this](int y) { return rowData8(y); });
    if (m_bits == 16)
        return integerRange([this](int y) { return rowData16(y); });
    bool any = false;
    double lo = 0.0, hi = 0.0;
    for (int y = 0; y < m_height; ++y) {
        const float* p = rowDataFloat(y);
        for (std::size_t i = first; i < n; i += step) {
            const double v = p[i];
            if (std::isnan(v))
                continue;
            if (!any) {
                lo = hi = v;
                any = true;
            } else {
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
        }
    }
    if (!any)
        return false;
    min = lo;
    max = hi;
    return true;
}

bool RawImage::normalize()
{
    if (!m_data)
        return false;
    double peak = 0.0;
    for (int c = 0; c < m_channels; ++c) {
        double lo, hi;
        if (channelMinMax(c, lo, hi))
            peak = std::max(peak, hi);
    }
    if (!(peak > 0.0) || std::isinf(peak))
        return false;
    const std::size_t n = static_cast<std::size_t>(m_width) * m_channels;
    for (int y = 0; y < m_height; ++y) {
        switch (m_bits) {
        case 8: {
            std::uint8_t* p = rowData8(y);
            const double f = 255.0 / peak;
            for (std::size_t i = 0; i < n; ++i)
                p[i] = static_cast<std::uint8_t>(std::min(255.0, std::floor(p[i] * f + 0.5)));
            break;
        }
        case 16: {
            std::uint16_t* p = rowData16(y);
            const double f = 65535.0 / peak;
            for (std::size_t i = 0; i < n; ++i)
                p[i] = static_cast<std::uint16_t>(std::min(65535.0, std::floor(p[i] * f + 0.5)));
            break;
        }
        default: {
            float* p = rowDataFloat(y);
            const double f = 1.0 / peak;
            for (std::size_t i = 0; i < n; ++i)
                p[i] = static_cast<float>(p[i] * f);
            break;
        }
        }
    }
    return true;
}

RawImageIF* createRawImage(int width, int height, int channels, int bitsPerSample)
{
    RawImage* image = new (std::nothrow) RawImage();
    if (!image)
        return nullptr;
    if (!image->allocate(width, height, channels, bitsPerSample)) {
        delete image;
        return nullptr;
    }
    return image;
}

RawImageIF* cloneRawImage(const RawImageIF* image)
{
    const RawImage* raw = dynamic_cast<const RawImage*>(image);
    if (!raw)
        return nullptr;
    RawImage* copy = new (std::nothrow) RawImage(*raw);
    if (!copy)
        return nullptr;
    if (copy->isNull() != raw->isNull()) {
        delete copy;
        return nullptr;
    }
    return copy;
}
