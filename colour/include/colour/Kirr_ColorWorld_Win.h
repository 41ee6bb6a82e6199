// A colour world over a transform of the system colour-management layer
// (platform/cms.h).
#pragma once

#include "colour/Kirr_ColorWorld.h"

#include <QtGlobal>
#include <memory>

namespace platform {
namespace cms {
class Transform;
}
}  // namespace platform

class Kirr_ColorProfile_Win;

class Kirr_ColorWorld_Win : public Kirr_ColorWorld
{
public:
    // Rendering intents 1 relative colorimetric, 2 saturation, 3 absolute
    // colorimetric, anything else perceptual. Not valid when either profile
    // is missing or not open, or the transform cannot be made.
    Kirr_ColorWorld_Win(const Kirr_ColorProfile_Win *source,
                        const Kirr_ColorProfile_Win *destination, int intent);
    ~Kirr_ColorWorld_Win() override;

    Kirr_ColorWorld_Win(const Kirr_ColorWorld_Win &) = delete;
    Kirr_ColorWorld_Win &operator=(const Kirr_ColorWorld_Win &) = delete;

    bool isValid() const override;
    bool labToRgb(const double *lab, double *rgb, int count) override;
    bool cmykToLab(const double *cmyk, double *lab, int count) override;
    bool rgbToLab(const double *rgb, double *lab, int count) override;
    bool xyzToRgb(const double *xyz, double *rgb, int count) override;
    bool rgbToXyz(const double *rgb, double *xyz, int count) override;
    bool rgbToRgb(const double *rgbIn, double *rgbOut, int count) override;
    bool rgbToRgbInPlace(double *rgb, int count) override;
    bool transformImage(const Kirr_ColorImageIF &source, Kirr_ColorImageIF &destination) override;

    // Bitmap format of the colour-management layer for a colour space and a
    // sample size in bytes; 0 when there is none.
    static int bitmapFormat(quint32 colorSpace, int bytesPerChannel);

private:
    bool translate(const double *in, int inType, double *out, int outType, int count);
    bool convertRow(const uchar *sourceRow, int sourceFormat, uchar *destinationRow,
                    int destinationFormat, int width);

    std::unique_ptr<platform::cms::Transform> m_transform;
};
