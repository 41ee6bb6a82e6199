// A colour transform between two profiles. Colour values are doubles, three
// per colour (four for CMYK input): RGB and CMYK 0..1, XYZ with Y of white
// 100, Lab with L 0..100 and a, b about -128..+128. The world does not test
// colour spaces; the colour match does.
#pragma once

class Kirr_ColorImageIF;

class Kirr_ColorWorldIF
{
public:
    virtual ~Kirr_ColorWorldIF() = default;
    virtual bool isValid() const = 0;
    virtual bool labToRgb(const double *lab, double *rgb, int count) = 0;
    virtual bool cmykToLab(const double *cmyk, double *lab, int count) = 0;
    virtual bool rgbToLab(const double *rgb, double *lab, int count) = 0;
    virtual bool xyzToRgb(const double *xyz, double *rgb, int count) = 0;
    virtual bool rgbToXyz(const double *rgb, double *xyz, int count) = 0;
    virtual bool rgbToRgb(const double *rgbIn, double *rgbOut, int count) = 0;
    virtual bool rgbToRgbInPlace(double *rgb, int count) = 0;
    // Row by row; both images of the same size.
    virtual bool transformImage(const Kirr_ColorImageIF &source,
                                Kirr_ColorImageIF &destination) = 0;
};
