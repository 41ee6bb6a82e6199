// A colour profile: an ICC profile or a DNG camera profile, opened from a file
// or from bytes. Objects are made by the factories of Kirr_colorLibrary.h and
// deleted by their owner through the virtual destructor.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class Kirr_ColorProfileIF
{
public:
    virtual ~Kirr_ColorProfileIF() = default;

    // DNG camera profiles only; the common base answers false, 0 and 0.0.
    virtual bool isDCP() const = 0;
    virtual int calibrationIlluminant1() const = 0;
    virtual int calibrationIlluminant2() const = 0;
    // Colour temperature in kelvin used to blend the two calibrations.
    virtual double temperature() const = 0;
    virtual void setTemperature(double kelvin) = 0;

    virtual bool isValid() const = 0;
    // Header signatures, first character in the most significant byte;
    // four blanks (0x20202020) when unknown or not readable.
    virtual quint32 colorSpace() const = 0;
    virtual quint32 connectionSpace() const = 0;
    virtual quint32 deviceClass() const = 0;
    virtual QString description() const = 0;
    // The whole profile (a file profile reads its file again).
    virtual QByteArray data() const = 0;
    // The file path with forward slashes; empty for a profile made from bytes.
    virtual QString path() const = 0;
    // Writes the profile to a file through a temporary file and a rename, so
    // that a failed save leaves an existing target as it was.
    virtual bool saveAs(const QString &path) const = 0;

    // XYZType tags ('wtpt', 'bkpt', 'rXYZ', ...): exactly one triple.
    virtual bool readXYZTag(quint32 tag, double &X, double &Y, double &Z) const = 0;
    // Replaces the triple of an existing XYZType tag.
    virtual bool writeXYZTag(quint32 tag, double X, double Y, double Z) = 0;
    // Raw tag bytes. With a null buffer, size receives the element's size.
    // With a buffer, size is its capacity on entry and the bytes copied on
    // return; a buffer smaller than the element gives false, with size set to
    // the element's size. An absent tag gives false and leaves size untouched.
    virtual bool readTag(quint32 tag, quint32 &size, void *buffer) const = 0;
    // Sets the tag to the given bytes (created when absent). Needs a profile
    // opened with write access.
    virtual bool writeTag(quint32 tag, quint32 size, const void *bytes) = 0;
};
