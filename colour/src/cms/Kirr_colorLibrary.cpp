#include "colour/Kirr_colorLibrary.h"

#include "colour/Kirr_ColorImage.h"
#include "colour/Kirr_ColorMatch.h"
#include "colour/Kirr_ColorProfileDCP.h"
#include "colour/Kirr_ColorProfile_Win.h"
#include "colour/Kirr_ColorWorld_Win.h"
#include "platform/atomic_file.h"
#include "platform/camera_profile_folder.h"
#include "platform/cms.h"
#include "platform/colour_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <atomic>
#include <cmath>
#include <new>

namespace {

std::atomic<bool> g_readOnly{false};

const char *const kGenericXYZName = "Generic XYZ Profile.icc";
const char *const kGenericLabName = "Generic Lab Profile.icc";
const char *const kSRGBName = "sRGB Color Space Profile.icm";

Kirr_ColorProfileIF *keepIfValid(Kirr_ColorProfileIF *profile)
{
    if (profile && !profile->isValid()) {
        delete profile;
        return nullptr;
    }
    return profile;
}

bool isDigitClr(quint32 sig, char first, char last)
{
    const char c = char(sig >> 24);
    return (sig & 0x00ffffffu) == 0x00434c52u && c >= first && c <= last;  // "?CLR"
}

bool isMch(quint32 sig, char first, char last)
{
    const char c = char(sig & 0xffu);
    return (sig & 0xffffff00u) == 0x4d434800u && c >= first && c <= last;  // "MCH?"
}

// Writes a standard profile into the colour folder when it is missing.
bool ensureStandardProfile(const char *name, std::vector<uint8_t> (*make)())
{
    const QString folder = Kirr_systemColorFolder();
    if (folder.isEmpty())
        return false;
    const QString path = folder + QString::fromLatin1(name);
    if (QFileInfo::exists(path))
        return true;
    if (!platform::ensure_colour_folder())
        return false;
    const std::vector<uint8_t> bytes = make();
    if (bytes.empty())
        return false;
    return platform::write_file_atomically(QFile::encodeName(path).toStdString(), bytes.data(),
                                           bytes.size());
}

Kirr_ColorProfileIF *standardProfile(const char *name, std::vector<uint8_t> (*make)())
{
    ensureStandardProfile(name, make);
    return Kirr_profileFromFile(Kirr_systemColorFolder() + QString::fromLatin1(name));
}

}  // namespace

Kirr_ColorProfileIF *Kirr_profileFromData(const QByteArray &bytes)
{
    Kirr_ColorProfileIF *profile = nullptr;
    if (bytes.size() > 4 && bytes.startsWith("IIRC"))
        profile = new (std::nothrow) Kirr_ColorProfileDCP(bytes);
    else
        profile = new (std::nothrow) Kirr_ColorProfile_Win(bytes);
    return keepIfValid(profile);
}

Kirr_ColorProfileIF *Kirr_profileFromFile(const QString &path)
{
    Kirr_ColorProfileIF *profile = nullptr;
    if (path.endsWith(QLatin1String(".dcp"), Qt::CaseSensitive))
        profile = new (std::nothrow) Kirr_ColorProfileDCP(path);
    else
        profile = new (std::nothrow) Kirr_ColorProfile_Win(path);
    return keepIfValid(profile);
}

Kirr_ColorProfileIF *Kirr_copyProfile(const Kirr_ColorProfileIF *profile)
{
    if (!profile)
        return nullptr;
    Kirr_ColorProfileIF *copy = nullptr;
    if (profile->isDCP())
        copy = new (std::nothrow) Kirr_ColorProfileDCP(*profile);
    else
        copy = new (std::nothrow) Kirr_ColorProfile_Win(*profile);
    return keepIfValid(copy);
}

Kirr_ColorProfileIF *Kirr_genericXYZProfile()
{
    return standardProfile(kGenericXYZName, platform::cms::make_xyz_profile);
}

Kirr_ColorProfileIF *Kirr_genericLabProfile()
{
    return standardProfile(kGenericLabName, platform::cms::make_lab_profile);
}

bool Kirr_ensureStandardProfiles()
{
    const bool xyz = ensureStandardProfile(kGenericXYZName, platform::cms::make_xyz_profile);
    const bool lab = ensureStandardProfile(kGenericLabName, platform::cms::make_lab_profile);
    const bool srgb = ensureStandardProfile(kSRGBName, platform::cms::make_srgb_profile);
    return xyz && lab && srgb;
}

Kirr_ColorMatchIF *Kirr_createColorMatch(const Kirr_ColorProfileIF *source,
                                         const Kirr_ColorProfileIF *destination, int intent)
{
    return new (std::nothrow) Kirr_ColorMatch(source, destination, intent);
}

Kirr_ColorWorldIF *Kirr_createColorWorld(const Kirr_ColorProfileIF *source,
                                         const Kirr_ColorProfileIF *destination, int intent)
{
    const auto *src = dynamic_cast<const Kirr_ColorProfile_Win *>(source);
    const auto *dst = dynamic_cast<const Kirr_ColorProfile_Win *>(destination);
    auto *world = new (std::nothrow) Kirr_ColorWorld_Win(src, dst, intent);
    if (world && !world->isValid()) {
        delete world;
        return nullptr;
    }
    return world;
}

void Kirr_setProfilesReadOnly(int readOnly) { g_readOnly.store(readOnly != 0); }

bool Kirr_profilesReadOnly() { return g_readOnly.load(); }

int Kirr_channelCount(quint32 cs)
{
    switch (cs) {
    case 0x47524159u:  // 'GRAY'
        return 1;
    case 0x52474220u:  // 'RGB '
    case 0x4c616220u:  // 'Lab '
    case 0x58595a20u:  // 'XYZ '
    case 0x434d5920u:  // 'CMY '
        return 3;
    case 0x434d594bu:  // 'CMYK'
        return 4;
    default: break;
    }
    if (isDigitClr(cs, '5', '9'))
        return char(cs >> 24) - '0';
    if (isDigitClr(cs, 'A', 'F'))
        return char(cs >> 24) - 'A' + 10;
    if (isMch(cs, '5', '8'))
        return char(cs & 0xffu) - '0';
    return 0;
}

bool Kirr_isNChannelColorSpace(quint32 cs)
{
    return isDigitClr(cs, '5', '9') || isDigitClr(cs, 'A', 'F') || isMch(cs, '5', '8');
}

quint32 Kirr_normalizeColorSpace(quint32 cs)
{
    static const quint32 known[] = {
        Kirr_sig("3CLR"), Kirr_sig("4CLR"), Kirr_sig("HSV "), Kirr_sig("Luv "),
        Kirr_sig("CMY "), Kirr_sig("CMYK"), Kirr_sig("GRAY"), Kirr_sig("HLS "),
        Kirr_sig("Lab "), Kirr_sig("RGB "), Kirr_sig("XYZ "), Kirr_sig("YCbr"),
        Kirr_sig("Yxy "),
    };
    for (quint32 k : known)
        if (cs == k)
            return cs;
    // Every n-colour space that has a channel count: '5CLR'..'FCLR', 'MCH5'..'MCH8'.
    if (Kirr_isNChannelColorSpace(cs))
        return cs;
    return Kirr_blankSignature;
}

quint32 Kirr_normalizeProfileClass(quint32 cls)
{
    static const quint32 known[] = {Kirr_sig("abst"), Kirr_sig("link"), Kirr_sig("mntr"),
                                    Kirr_sig("nmcl"), Kirr_sig("prtr"), Kirr_sig("scnr"),
                                    Kirr_sig("spac")};
    for (quint32 k : known)
        if (cls == k)
            return cls;
    return Kirr_blankSignature;
}

QString Kirr_systemColorFolder()
{
    return QFile::decodeName(QByteArray::fromStdString(platform::colour_folder()));
}

QString Kirr_sRGBProfilePath()
{
    return Kirr_systemColorFolder() + QString::fromLatin1(kSRGBName);
}

QString Kirr_makerProfileFolder(int kind)
{
    static const char *const sub[] = {
        "Vandrelith Profiles/Monitor Profiles/", "Vandrelith Profiles/Camera Profiles/",
        "Vandrelith Profiles/Scanner Profiles/", "Vandrelith Profiles/Printer Profiles/",
        "Vandrelith Profiles/ColorSpace Profiles/"};
    const QString folder = Kirr_systemColorFolder();
    if (kind >= 1 && kind <= 5 && !folder.isEmpty()) {
        const QString joined = folder + QString::fromLatin1(sub[kind - 1]);
        if (QFileInfo::exists(joined))
            return joined;
    }
    return folder;
}

QString Kirr_cameraProfileFolder()
{
    return QFile::decodeName(QByteArray::fromStdString(platform::camera_profile_folder()));
}

double Kirr_round(double x) { return x > 0 ? std::floor(x + 0.5) : std::ceil(x - 0.5); }

namespace {
quint16 roundClamp16(double v)
{
    const double r = Kirr_round(v);
    if (!(r > 0))
        return 0;  // also NaN
    return r >= 65535.0 ? 65535 : quint16(r);
}
}  // namespace

void Kirr_encodeLab16(const double lab[3], quint16 *L, quint16 *a, quint16 *b)
{
    if (!lab)
        return;
    if (L)
        *L = roundClamp16(lab[0] / 100.0 * 65535.0);
    if (a)
        *a = roundClamp16((lab[1] / 128.0 + 1.0) * 32768.0);
    if (b)
        *b = roundClamp16((lab[2] / 128.0 + 1.0) * 32768.0);
}

void Kirr_decodeLab16(quint16 L, quint16 a, quint16 b, double lab[3])
{
    if (!lab)
        return;
    lab[0] = L / 65535.0 * 100.0;
    lab[1] = (a / 32768.0 - 1.0) * 128.0;
    lab[2] = (b / 32768.0 - 1.0) * 128.0;
}

namespace {

Kirr_ColorImageIF *makeImage(uchar *data, int width, int height, quint32 cs, int bits,
                             int channels, int extra, bool reversed)
{
    if (width <= 0 || height <= 0 || bits <= 0 || bits > 16 || channels <= 0 || extra < 0
        || channels + extra > 64)
        return nullptr;
    const qint64 bytes = (qint64(bits) + 7) / 8;
    const qint64 pixel = (qint64(channels) + extra) * bytes;
    const qint64 row = qint64(width) * pixel;
    const qint64 channel = reversed ? -bytes : bytes;
    uchar *first = data;
    auto *image = new (std::nothrow)
        Kirr_ColorImage(width, height, cs, bits, channels, row, pixel, channel, first);
    if (image && !image->isValid()) {
        delete image;
        return nullptr;
    }
    return image;
}

}  // namespace

Kirr_ColorImageIF *Kirr_createColorImage(int width, int height, quint32 colorSpace,
                                         int bitsPerChannel, int channels, int extraChannels,
                                         bool reversed)
{
    return makeImage(nullptr, width, height, colorSpace, bitsPerChannel, channels, extraChannels,
                     reversed);
}

Kirr_ColorImageIF *Kirr_createColorImageView(void *data, int width, int height,
                                             quint32 colorSpace, int bitsPerChannel, int channels,
                                             int extraChannels, bool reversed)
{
    if (!data)
        return nullptr;
    return makeImage(static_cast<uchar *>(data), width, height, colorSpace, bitsPerChannel,
                     channels, extraChannels, reversed);
}

Kirr_ColorImageIF *Kirr_createColorImageFromQImage(QImage &image, quint32 colorSpace)
{
    if (image.isNull() || image.depth() != 32)
        return nullptr;
    uchar *bits = image.bits();  // detaches: the view writes into this image only
    if (!bits)
        return nullptr;
    auto *view = new (std::nothrow)
        Kirr_ColorImage(image.width(), image.height(), colorSpace, 8, 3, image.bytesPerLine(), 4,
                        -1, bits + 2);
    if (view && !view->isValid()) {
        delete view;
        return nullptr;
    }
    return view;
}
