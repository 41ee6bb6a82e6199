// An ICC profile opened through the system colour-management layer
// (platform/cms.h), from a file or from bytes in memory.
#pragma once

#include "colour/Kirr_ColorProfile.h"

#include <memory>

namespace platform {
namespace cms {
class Profile;
}
}  // namespace platform

class Kirr_ColorProfile_Win : public Kirr_ColorProfile
{
public:
    // Not open (not valid); used as the empty side of a swap.
    Kirr_ColorProfile_Win();
    // Opens the bytes; an empty or malformed array gives a profile that is
    // not valid.
    explicit Kirr_ColorProfile_Win(const QByteArray &bytes);
    // Opens the file (stored with forward slashes).
    explicit Kirr_ColorProfile_Win(const QString &path);
    // An independent profile opened again from the other's file or bytes;
    // not valid when the other is not a valid ICC profile.
    explicit Kirr_ColorProfile_Win(const Kirr_ColorProfileIF &other);
    ~Kirr_ColorProfile_Win() override;

    Kirr_ColorProfile_Win(const Kirr_ColorProfile_Win &) = delete;
    Kirr_ColorProfile_Win &operator=(const Kirr_ColorProfile_Win &) = delete;

    bool isValid() const override;
    quint32 colorSpace() const override;
    quint32 connectionSpace() const override;
    quint32 deviceClass() const override;
    QString description() const override;
    QByteArray data() const override;
    QString path() const override;
    bool saveAs(const QString &path) const override;
    bool readXYZTag(quint32 tag, double &X, double &Y, double &Z) const override;
    bool writeXYZTag(quint32 tag, double X, double Y, double Z) override;
    bool readTag(quint32 tag, quint32 &size, void *buffer) const override;
    bool writeTag(quint32 tag, quint32 size, const void *bytes) override;

    // Exchanges the whole state of two profiles.
    virtual void swap(Kirr_ColorProfile_Win &other);

    // Why the profile did not open (empty when it did).
    QString openError() const;
    // The open profile of the colour-management layer; null when not open.
    const platform::cms::Profile *handle() const;

private:
    QByteArray m_bytes;  // memory profiles only
    QString m_path;      // file profiles only
    std::unique_ptr<platform::cms::Profile> m_profile;
    QString m_openError;
};

// Text of a 'desc' (textDescriptionType) or 'mluc' (multiLocalizedUnicodeType)
// element: the ASCII text or the first record's text; empty for any other
// type or a malformed element. Never reads outside the element.
QString Kirr_descriptionFromElement(const QByteArray &element);
