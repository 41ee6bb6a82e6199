// Free functions of the colour library: factories of profiles, matches,
// worlds and images, colour-space signatures, the colour folders and the
// discovery of installed profiles. Every returned object belongs to the
// caller; a profile factory returns null rather than an object that is not
// valid.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QSet>
#include <QString>
#include <QtGlobal>

#include <functional>

#include "platform/big_endian.h"

class QImage;
class Kirr_ColorImageIF;
class Kirr_ColorMatchIF;
class Kirr_ColorProfileIF;
class Kirr_ColorWorldIF;

// Four-character signature, first character in the most significant byte.
constexpr quint32 Kirr_sig(const char (&s)[5]) { return platform::signature(s); }
constexpr quint32 Kirr_blankSignature = 0x20202020u;

// Profiles. Bytes beginning "IIRC" (more than 4 of them) and paths ending
// in ".dcp" (lower case) give DNG camera profiles, anything else ICC.
Kirr_ColorProfileIF *Kirr_profileFromData(const QByteArray &bytes);
Kirr_ColorProfileIF *Kirr_profileFromFile(const QString &path);
Kirr_ColorProfileIF *Kirr_copyProfile(const Kirr_ColorProfileIF *profile);
// "Generic XYZ Profile.icc" and "Generic Lab Profile.icc" of the colour
// folder; null when missing or not valid.
Kirr_ColorProfileIF *Kirr_genericXYZProfile();
Kirr_ColorProfileIF *Kirr_genericLabProfile();
// The profile of the primary screen; null when there is none.
Kirr_ColorProfileIF *Kirr_displayProfile();

// Where the display profile comes from: a file path or the profile bytes
// (either may be empty).
struct Kirr_DisplayProfileSource
{
    QString path;
    QByteArray bytes;
};
// Replaces the look-up of the display profile (colord, then the X11 root
// window's _ICC_PROFILE); an empty function restores it.
void Kirr_setDisplayProfileSource(std::function<Kirr_DisplayProfileSource()> source);

// Creates the generic XYZ, generic Lab and sRGB profiles in the colour folder
// when they are missing. False when a missing one could not be written.
bool Kirr_ensureStandardProfiles();

// Matches and worlds.
Kirr_ColorMatchIF *Kirr_createColorMatch(const Kirr_ColorProfileIF *source,
                                         const Kirr_ColorProfileIF *destination, int intent);
// Both profiles must be ICC profiles; null when the world is not valid.
Kirr_ColorWorldIF *Kirr_createColorWorld(const Kirr_ColorProfileIF *source,
                                         const Kirr_ColorProfileIF *destination, int intent);

// Process-wide: ICC profiles opened afterwards are read-only (non-zero) or
// read-write. Set once at start-up.
void Kirr_setProfilesReadOnly(int readOnly);
bool Kirr_profilesReadOnly();

// Colour-space signatures.
int Kirr_channelCount(quint32 colorSpace);
bool Kirr_isNChannelColorSpace(quint32 colorSpace);
// Known colour spaces and profile classes; anything else gives four blanks.
quint32 Kirr_normalizeColorSpace(quint32 colorSpace);
quint32 Kirr_normalizeProfileClass(quint32 profileClass);

// Folders. The colour folder ends in a separator.
QString Kirr_systemColorFolder();
QString Kirr_sRGBProfilePath();
// Kinds: 1 monitor, 2 camera, 3 scanner, 4 printer, 5 colour space. The
// sub-folder when it exists, else the colour folder.
QString Kirr_makerProfileFolder(int kind);
// The per-user folder of DNG camera profiles, ending in '/'; empty when
// unknown.
QString Kirr_cameraProfileFolder();

// (display name, path) of the installed input-device ('scnr') ICC profiles
// whose colour space is in the set (empty: any), sorted by name; equal names
// are all kept.
QList<QPair<QString, QString>> Kirr_listScannerProfiles(const QSet<quint32> &colorSpaces);
// Name (the file name without its ".dcp") to absolute path of the DNG camera
// profiles in the camera-profile folder.
QMap<QString, QString> Kirr_listCameraProfiles();

// Rounded half away from zero.
double Kirr_round(double x);
// L * 65535 / 100, (a / 128 + 1) * 32768, (b / 128 + 1) * 32768, rounded and
// clamped to 0..65535; null outputs are skipped.
void Kirr_encodeLab16(const double lab[3], quint16 *L, quint16 *a, quint16 *b);
// The inverse of Kirr_encodeLab16.
void Kirr_decodeLab16(quint16 L, quint16 a, quint16 b, double lab[3]);

// Images: bytes per channel (bits + 7) / 8; pixel stride (channels + extra)
// * that; row stride width * pixel stride; channel stride negative for
// reversed order. Null when the image cannot be made.
Kirr_ColorImageIF *Kirr_createColorImage(int width, int height, quint32 colorSpace,
                                         int bitsPerChannel, int channels, int extraChannels,
                                         bool reversed);
Kirr_ColorImageIF *Kirr_createColorImageView(void *data, int width, int height,
                                             quint32 colorSpace, int bitsPerChannel, int channels,
                                             int extraChannels, bool reversed);
// An 8-bit, 3-channel, reversed view over a 32-bit QImage (B, G, R, A),
// with the alpha byte as extra channel; null for another format.
Kirr_ColorImageIF *Kirr_createColorImageFromQImage(QImage &image, quint32 colorSpace);
