#include "colour/Kirr_ColorMatch.h"

#include "colour/Kirr_ColorImage.h"
#include "colour/Kirr_ColorProfileDCP.h"
#include "colour/Kirr_ColorProfileIF.h"
#include "colour/Kirr_ColorWorldIF.h"
#include "colour/Kirr_colorLibrary.h"

#include <QImage>
#include <memory>

namespace {

constexpr quint32 kRGB = 0x52474220u;
constexpr quint32 kXYZ = 0x58595a20u;
constexpr quint32 kLab = 0x4c616220u;
constexpr quint32 kCMYK = 0x434d594bu;

quint32 spaceOf(const Kirr_ColorProfileIF *p) { return p ? p->colorSpace() : Kirr_blankSignature; }

}  // namespace

Kirr_ColorMatch::Kirr_ColorMatch(const Kirr_ColorProfileIF *source,
                                 const Kirr_ColorProfileIF *destination, int intent)
    : m_source(Kirr_copyProfile(source)), m_destination(Kirr_copyProfile(destination)),
      m_xyzBridge(Kirr_genericXYZProfile()), m_intent(intent)
{
    m_sourceSpace = spaceOf(m_source);
    m_destinationSpace = spaceOf(m_destination);
}

Kirr_ColorMatch::~Kirr_ColorMatch()
{
    delete m_world;
    delete m_source;
    delete m_destination;
    delete m_xyzBridge;
}

void Kirr_ColorMatch::dropWorld()
{
    delete m_world;
    m_world = nullptr;
}

bool Kirr_ColorMatch::ensureWorld()
{
    if (m_world)
        return true;
    const bool bridged = m_xyzBridge && m_source && m_source->isDCP();
    const Kirr_ColorProfileIF *from = bridged ? m_xyzBridge : m_source;
    if (!from || !m_destination || !from->isValid() || !m_destination->isValid())
        return false;
    m_world = Kirr_createColorWorld(from, m_destination, m_intent);
    if (m_world)
        ++m_worldsBuilt;
    return m_world != nullptr;
}

bool Kirr_ColorMatch::ready(const void *in, const void *out, int count, quint32 from, quint32 to)
{
    if (!in || !out || count <= 0 || m_sourceSpace != from || m_destinationSpace != to)
        return false;
    // The world of a camera-profile source starts from XYZ; colour values in
    // camera RGB would be read as XYZ, so they are refused.
    if (m_source && m_source->isDCP())
        return false;
    return ensureWorld();
}

bool Kirr_ColorMatch::labToRgb(const double *lab, double *rgb, int count)
{
    return ready(lab, rgb, count, kLab, kRGB) && m_world->labToRgb(lab, rgb, count);
}

bool Kirr_ColorMatch::cmykToLab(const double *cmyk, double *lab, int count)
{
    return ready(cmyk, lab, count, kCMYK, kLab) && m_world->cmykToLab(cmyk, lab, count);
}

bool Kirr_ColorMatch::rgbToLab(const double *rgb, double *lab, int count)
{
    return ready(rgb, lab, count, kRGB, kLab) && m_world->rgbToLab(rgb, lab, count);
}

bool Kirr_ColorMatch::xyzToRgb(const double *xyz, double *rgb, int count)
{
    return ready(xyz, rgb, count, kXYZ, kRGB) && m_world->xyzToRgb(xyz, rgb, count);
}

bool Kirr_ColorMatch::rgbToXyz(const double *rgb, double *xyz, int count)
{
    return ready(rgb, xyz, count, kRGB, kXYZ) && m_world->rgbToXyz(rgb, xyz, count);
}

bool Kirr_ColorMatch::rgbToRgb(const double *rgbIn, double *rgbOut, int count)
{
    return ready(rgbIn, rgbOut, count, kRGB, kRGB) && m_world->rgbToRgb(rgbIn, rgbOut, count);
}

bool Kirr_ColorMatch::rgbToRgbInPlace(double *rgb, int count)
{
    return ready(rgb, rgb, count, kRGB, kRGB) && m_world->rgbToRgbInPlace(rgb, count);
}

bool Kirr_ColorMatch::transformImage(const Kirr_ColorImageIF &source,
                                     Kirr_ColorImageIF &destination, const double *balance)
{
    if (source.width() != destination.width() || source.height() != destination.height()
        || source.colorSpace() != m_sourceSpace || destination.colorSpace() != m_destinationSpace)
        return false;
    if (!ensureWorld())
        return false;
    if (m_xyzBridge && m_source && m_source->isDCP()) {
        const auto *dcp = dynamic_cast<const Kirr_ColorProfileDCP *>(m_source);
        if (!dcp)
            return false;
        std::unique_ptr<Kirr_ColorImageIF> xyz(
            Kirr_createColorImage(source.width(), source.height(), kXYZ, 16, 3, 0, false));
        if (!xyz || !dcp->transformImage(source, *xyz, balance))
            return false;
        return m_world->transformImage(*xyz, destination);
    }
    if (!balance)
        return m_world->transformImage(source, destination);
    // Balance factors are applied to a copy of the source, each channel
    // clamped to its full scale.
    std::unique_ptr<Kirr_ColorImageIF> balanced(Kirr_createColorImage(
        source.width(), source.height(), source.colorSpace(), source.bitsPerChannel() <= 8 ? 8 : 16,
        source.channels(), 0, false));
    if (!balanced || !balanced->copyImage(source)
        || !balanced->applyCurves(balance, nullptr, nullptr, 1.0, 1.0))
        return false;
    return m_world->transformImage(*balanced, destination);
}

bool Kirr_ColorMatch::transformQImage(const QImage &source, QImage &destination)
{
    if (source.isNull() || destination.isNull() || source.depth() != 32
        || destination.depth() != 32)
        return false;
    std::unique_ptr<Kirr_ColorImageIF> out(Kirr_createColorImageFromQImage(destination, kRGB));
    if (!out)
        return false;
    // The destination's bits were made private above; a source sharing them
    // is the destination itself.
    if (source.constBits() == destination.constBits() || &source == &destination)
        return transformImage(*out, *out, nullptr);
    // A read-only view over the source's pixels (B, G, R, A), without a
    // detaching copy.
    Kirr_ColorImage in(source.width(), source.height(), kRGB, 8, 3, source.bytesPerLine(), 4, -1,
                       const_cast<uchar *>(source.constBits()) + 2);
    if (!in.isValid())
        return false;
    return transformImage(in, *out, nullptr);
}

void Kirr_ColorMatch::replace(Kirr_ColorProfileIF *&slot, quint32 &space,
                              Kirr_ColorProfileIF *profile)
{
    if (!profile)
        return;
    delete slot;
    slot = profile;
    space = profile->colorSpace();
    dropWorld();
}

void Kirr_ColorMatch::setSourceProfile(const Kirr_ColorProfileIF &profile)
{
    replace(m_source, m_sourceSpace, Kirr_copyProfile(&profile));
}

void Kirr_ColorMatch::setSourceProfile(const QString &path)
{
    replace(m_source, m_sourceSpace, Kirr_profileFromFile(path));
}

void Kirr_ColorMatch::setDestinationProfile(const Kirr_ColorProfileIF &profile)
{
    replace(m_destination, m_destinationSpace, Kirr_copyProfile(&profile));
}

void Kirr_ColorMatch::setDestinationProfile(const QString &path)
{
    replace(m_destination, m_destinationSpace, Kirr_profileFromFile(path));
}

void Kirr_ColorMatch::setIntent(int intent)
{
    m_intent = intent;
    dropWorld();
}

double Kirr_ColorMatch::sourceTemperature() const
{
    return m_source ? m_source->temperature() : 0.0;
}

void Kirr_ColorMatch::setSourceTemperature(double kelvin)
{
    if (m_source)
        m_source->setTemperature(kelvin);
    dropWorld();
}

void Kirr_ColorMatch::setSourceExposure(double stops)
{
    // Applied before the world, which starts from XYZ: the world stays.
    if (auto *dcp = dynamic_cast<Kirr_ColorProfileDCP *>(m_source))
        dcp->setExposure(stops);
}

bool Kirr_ColorMatch::readSourceXYZTag(quint32 tag, double xyz[3]) const
{
    return m_source && xyz && m_source->readXYZTag(tag, xyz[0], xyz[1], xyz[2]);
}

bool Kirr_ColorMatch::writeSourceXYZTag(quint32 tag, const double xyz[3])
{
    if (!m_source || !xyz)
        return false;
    const bool ok = m_source->writeXYZTag(tag, xyz[0], xyz[1], xyz[2]);
    dropWorld();
    return ok;
}

bool Kirr_ColorMatch::readDestinationXYZTag(quint32 tag, double xyz[3]) const
{
    return m_destination && xyz && m_destination->readXYZTag(tag, xyz[0], xyz[1], xyz[2]);
}

bool Kirr_ColorMatch::writeDestinationXYZTag(quint32 tag, const double xyz[3])
{
    if (!m_destination || !xyz)
        return false;
    const bool ok = m_destination->writeXYZTag(tag, xyz[0], xyz[1], xyz[2]);
    dropWorld();
    return ok;
}
