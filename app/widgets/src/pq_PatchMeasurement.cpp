// Patch measurement, the quick profile, white balance and quality statistics
// of the patch-grid widget.
#include "PatchLabSupport.h"
#include "widgets_logging.h"

#include "chart/Patch.h"
#include "chart/PatchGrid.h"
#include "chart/RawImage.h"
#include "chart/SpectrumArray.h"
#include "chart/Target.h"
#include "chart/csContext.h"
#include "colour/Kirr_BezierLut.h"
#include "colour/Kirr_ColorCurve.h"
#include "colour/Kirr_ColorImageIF.h"
#include "colour/Kirr_ColorMatchIF.h"
#include "colour/Kirr_ColorProfileIF.h"
#include "colour/Kirr_Spline1.h"
#include "colour/Kirr_colorDifference.h"
#include "colour/Kirr_colorLibrary.h"
#include "engine/colour_maths.h"
#include "engine/entries.h"
#include "jobs/pq_JobIF.h"
#include "jobs/pq_jobExpertSettingsIF.h"

#include <QByteArray>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

const char kQuickProfileNotice[] = "Copyright Vandrelith pelto. All rights reserved.";

bool isUsed(const PatchIF *patch) { return patch && patch->type() != PatchIF::TypeIgnored; }

bool valueOneIsZero(const PatchIF &patch)
{
    const int n = int(patch.valueCount());
    for (int c = 0; c < n; ++c)
        if (patch.value1(c) != 0)
            return false;
    return true;
}

double finiteOr(double v, double fallback) { return std::isfinite(v) ? v : fallback; }

}  // namespace

quint32 pq_deviceColourSpace(unsigned valueCount)
{
    if (valueCount == 4)
        return Kirr_sig("CMYK");
    if (valueCount >= 5 && valueCount <= 15) {
        const char digit = "0123456789ABCDEF"[valueCount];
        return (quint32(quint8(digit)) << 24) | 0x00434c52u;
    }
    return Kirr_sig("RGB ");
}

std::unique_ptr<Kirr_ColorImageIF> pq_onePixel(quint32 colorSpace, int bits, int channels)
{
    return std::unique_ptr<Kirr_ColorImageIF>(
        Kirr_createColorImage(1, 1, colorSpace, bits, channels, 0, false));
}

void pq_decodeLab16Pixel(const Kirr_ColorImageIF &pixel, double lab[3])
{
    lab[0] = pixel.sample(0, 0, 0) * 100.0 / 65535.0;
    lab[1] = (pixel.sample(0, 0, 1) / 32768.0 - 1.0) * 128.0;
    lab[2] = (pixel.sample(0, 0, 2) / 32768.0 - 1.0) * 128.0;
}

double pq_roundToTenth(double v) { return Kirr_round(v * 10.0) / 10.0; }

bool pq_GainModulation::add(const QString &name, double measuredL, double referenceL)
{
    if (name == QLatin1String("E5")) {
        lE5 = measuredL;
        refE5 = referenceL;
    } else if (name == QLatin1String("J6")) {
        lJ6 = measuredL;
        refJ6 = referenceL;
    } else {
        return false;
    }
    if (lE5 > 0 && lJ6 > 0 && refE5 != refJ6)
        gain = (lE5 - lJ6) * 100.0 / (refE5 - refJ6);
    return true;
}

pq_ImagePatchGridWidget::DeviceFormat pq_ImagePatchGridWidget::deviceFormat(TargetIF *target) const
{
    DeviceFormat format;
    const PatchIF *first = target ? target->patch(0, 0) : nullptr;
    format.colorSpace = pq_deviceColourSpace(first ? first->valueCount() : 3);
    format.bits = Kirr_isNChannelColorSpace(format.colorSpace) ? 8 : 16;
    format.channels = qBound(1, Kirr_channelCount(format.colorSpace), 15);
    for (double &f : format.factors)
        f = 1.0;
    if (!m_job || !target)
        return format;
    const bool inColourSpace = m_job->isChartImageIcc() || m_job->isChartImageTxt();
    const bool useFactors = m_job->areAllChartImagesLoaded()
                            || (m_job->areAllChartImagesRaw() && m_job->isC1InsteadOfDCP()
                                && !inColourSpace);
    if (useFactors && target->hasChannelFactors(unsigned(format.channels)))
        for (int c = 0; c < format.channels; ++c)
            format.factors[c] = target->channelFactor(unsigned(c));
    format.scale = inColourSpace ? 1.0 : finiteOr(target->scaleFactor(), 1.0);
    format.lut = m_job->toneCurveLut();
    if (format.lut && format.lut->isEmpty())
        format.lut = nullptr;
    format.spline = m_job->toneCurveSpline();
    if (format.spline && format.spline->isEmpty())
        format.spline = nullptr;
    return format;
}

void pq_ImagePatchGridWidget::fillDevicePixel(const PatchIF &patch, const DeviceFormat &format,
                                              Kirr_ColorImageIF &pixel) const
{
    for (int c = 0; c < format.channels; ++c) {
        const double v = finiteOr(patch.value1(c), 0.0) * format.factors[c];
        int sample = 0;
        if (format.bits == 8) {
            sample = int(qBound(0.0, Kirr_round(v * format.scale / 257.0), 255.0));
        } else {
            double level;
            const double x = qBound(0.0, v / 65535.0, 1.0);
            if (format.lut)
                level = format.lut->evaluate(x) * format.scale * 65535.0;
            else if (format.spline)
                level = format.spline->evaluate(x, 1.0) * format.scale * 65535.0;
            else
                level = v * format.scale;
            sample = int(qBound(0.0, Kirr_round(finiteOr(level, 0.0)), 65535.0));
        }
        pixel.setSample(0, 0, c, sample);
    }
}

bool pq_ImagePatchGridWidget::measuredLab(Kirr_ColorImageIF &device, Kirr_ColorImageIF &lab16,
                                          double lab[3])
{
    if (!m_imageToLabMatch)
        return false;
    if (!m_imageToLabMatch->transformImage(device, lab16, imageRGBFactorData()))
        return false;
    pq_decodeLab16Pixel(lab16, lab);
    return std::isfinite(lab[0]) && std::isfinite(lab[1]) && std::isfinite(lab[2]);
}

void pq_ImagePatchGridWidget::exposeToTargetWhite(TargetIF *target, const DeviceFormat &format,
                                                  Kirr_ColorImageIF &device,
                                                  Kirr_ColorImageIF &lab16)
{
    if (!m_imageToLabMatch || !m_imageProfile || !m_imageProfile->isDCP() || !target)
        return;
    m_imageToLabMatch->setSourceExposure(0.0);
    PatchIF *white = nullptr;
    double whiteL = -1;
    for (unsigned r = 0; r < target->rows(); ++r)
        for (unsigned c = 0; c < target->columns(); ++c) {
            PatchIF *p = target->patch(c, r);
            if (!isUsed(p) || valueOneIsZero(*p))
                continue;
            bool clipped = false;
            for (int ch = 0; ch < format.channels && !clipped; ++ch)
                clipped = !(finiteOr(p->value1(ch), 65535.0) < 0.999 * 65535.0);
            double ref[3];
            referenceLab(*p, ref);
            if (!clipped && ref[0] > whiteL) {
                white = p;
                whiteL = ref[0];
            }
        }
    if (!white || !(whiteL > 0))
        return;
    const auto luminance = [](double L) {
        const double lab[3] = {L, 0, 0};
        double xyz[3];
        cm_lab_to_xyz(lab, cm_icc_d50_white, xyz);
        return xyz[1];
    };
    fillDevicePixel(*white, format, device);
    // Measured where its lightness is not clipped at 100 (a profile's own
    // exposure offset may lift the white above it).
    for (double tried = 0; tried >= -24; tried -= 6) {
        m_imageToLabMatch->setSourceExposure(tried);
        double measured[3];
        if (!measuredLab(device, lab16, measured) || !(measured[0] > 0))
            break;
        if (measured[0] < 99) {
            const double stops = tried + std::log2(luminance(whiteL) / luminance(measured[0]));
            m_imageToLabMatch->setSourceExposure(std::isfinite(stops) ? stops : 0.0);
            return;
        }
    }
    m_imageToLabMatch->setSourceExposure(0.0);
}

void pq_ImagePatchGridWidget::referenceLab(PatchIF &patch, double lab[3]) const
{
    const double t = m_imageProfile && m_imageProfile->isDCP() ? m_imageProfile->temperature() : 0;
    std::unique_ptr<csContext> context;
    if (patch.hasSpectrum() && t > 0 && (t < 4500 || t > 5500)) {
        context.reset(new csContext(csContext::Illuminant(t < 5000 ? 2 : 3),
                                    csContext::Observer(0)));
    } else if (patch.hasSpectrum() && m_job && m_job->illuminantSpectrum()) {
        context.reset(new csContext());
        context->setCustomIlluminant(*m_job->illuminantSpectrum());
    }
    if (context)
        patch.setColorContext(context.get());
    for (int i = 0; i < 3; ++i)
        lab[i] = finiteOr(patch.referenceLab(i), 0.0);
    if (context)
        patch.setColorContext(nullptr);
}

// Measurement.

void pq_ImagePatchGridWidget::doMeasurement(float *avgDeltaE)
{
    PatchGridIF *grid = nullptr;
    TargetIF *target = nullptr;
    float result = -1;
    if (gridAndTarget(grid, target)) {
        grid->setGridSize(int(target->rows()), int(target->columns()));
        result = measurePatches(grid, target, true);
        computeQuickProfile(false);
    }
    if (avgDeltaE)
        *avgDeltaE = result;
}

void pq_ImagePatchGridWidget::doMeasurement() { doMeasurement(nullptr); }

float pq_ImagePatchGridWidget::measurePatches(PatchGridIF *grid, TargetIF *target, bool ratePasses)
{
    if (!grid || !target || !m_job)
        return -1;
    const RawImageIF &c1Image = m_job->c1TifRawImage();
    const RawImageIF *c1 = c1Image.sampleType() != 0 ? &c1Image : nullptr;
    const RawImageIF &chart = m_job->chartRawImage();
    const RawImageIF &aux = m_job->auxRawImage();
    const QTransform c1Inverse = displayTransform(true).inverted();
    const QTransform plainInverse = displayTransform(false).inverted();
    const int passes = ratePasses ? 2 : 1;
    float errors[2] = {-1, -1};
    for (int k = 0; k < passes; ++k) {
        if (ratePasses) {
            m_job->loadTargetData(k == 1);
            // The reload may replace the target's patches.
            target = m_job->currentTarget();
            if (!target)
                return -1;
        }
        const int columns = int(target->columns());
        const int n = int(target->rows()) * columns;
        for (int i = 0; i < n && columns > 0; ++i) {
            const int column = i % columns;
            const int row = i / columns;
            if (!isUsed(target->patch(unsigned(column), unsigned(row))))
                continue;
            grid->setSampleArea(column, row, 0.5);
            if (c1) {
                grid->transformSampleArea(c1Inverse);
                grid->measurePatch(column, row, target, c1, true);
            }
            grid->transformSampleArea(plainInverse);
            grid->measurePatch(column, row, target, &chart, false);
            grid->measurePatchSet3(column, row, target, aux.sampleType() != 0 ? &aux : nullptr);
        }
        if (ratePasses)
            errors[k] = computeQuickProfile(true);
    }
    if (!ratePasses)
        return -1;
    // A failed pass (negative error) is worse than any other.
    const bool alternativeBetter =
        errors[1] >= 0 && (errors[0] < 0 || errors[1] < errors[0]);
    m_job->loadTargetData(alternativeBetter);
    if (errors[0] < 0 && errors[1] < 0)
        return -1;
    return alternativeBetter ? errors[1] : errors[0];
}

void pq_ImagePatchGridWidget::computeWhiteBalance(PatchGridIF *grid, TargetIF *target)
{
    Q_UNUSED(grid)
    const int rows = int(target->rows());
    const int columns = int(target->columns());
    auto forUsed = [&](const std::function<void(PatchIF &)> &f) {
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c) {
                PatchIF *p = target->patch(unsigned(c), unsigned(r));
                if (isUsed(p))
                    f(*p);
            }
    };
    bool greyMode = false;
    bool lightMode = false;
    forUsed([&](PatchIF &p) {
        if (p.type() == PatchIF::TypeGrey && p.primary() == 8)
            greyMode = true;
        if (p.type() == PatchIF::TypeLightness && p.referenceLab(0) >= 60)
            lightMode = true;
    });
    auto counts = [&](const PatchIF &p) {
        if (greyMode)
            return p.type() == PatchIF::TypeGrey && p.primary() == 8;
        if (lightMode)
            return p.type() == PatchIF::TypeLightness && p.referenceLab(0) >= 60;
        return p.type() == PatchIF::TypeGrey;
    };
    double sums[3] = {0, 0, 0};
    double brightest[3] = {0, 0, 0};
    double brightestSum = -1;
    int counted = 0;
    forUsed([&](PatchIF &p) {
        if (!counts(p))
            return;
        double v[3];
        for (int c = 0; c < 3; ++c) {
            v[c] = p.value1(c);
            sums[c] += v[c];
        }
        const double s = v[0] + v[1] + v[2];
        if (s > brightestSum) {
            brightestSum = s;
            for (int c = 0; c < 3; ++c)
                brightest[c] = v[c];
        }
        ++counted;
    });
    bool positive = counted > 0;
    for (int c = 0; c < 3; ++c)
        positive = positive && std::isfinite(sums[c]) && sums[c] > 0 && brightest[c] > 0;
    if (positive) {
        const bool eightBit = m_job && m_job->chartRawImage().sampleType() == RawImageIF::Samples8;
        double v[3];
        for (int c = 0; c < 3; ++c)
            v[c] = (eightBit || (!greyMode && !lightMode)) ? brightest[c] : sums[c] / counted;
        const double m = std::max(v[0], std::max(v[1], v[2]));
        target->setChannelFactorCount(3);
        for (int c = 0; c < 3; ++c) {
            target->setChannelFactor(unsigned(c), m / v[c]);
            setChannelFactor(c, m / v[c]);
        }
    } else {
        target->clearChannelFactors();
        clearChannelFactors();
    }
}

void pq_ImagePatchGridWidget::computeSet3Maximum(PatchGridIF *grid, TargetIF *target)
{
    Q_UNUSED(grid)
    double maximum = 0;
    int channel = 0;
    for (unsigned r = 0; r < target->rows(); ++r)
        for (unsigned c = 0; c < target->columns(); ++c) {
            const PatchIF *p = target->patch(c, r);
            if (!isUsed(p))
                continue;
            for (int ch = 0; ch < 3; ++ch) {
                const double v = p->value3(ch);
                if (std::isfinite(v) && v > 0 && v > maximum) {
                    maximum = v;
                    channel = ch;
                }
            }
        }
    m_set3Maximum = maximum;
    m_set3Channel = qint16(channel);
}

void pq_ImagePatchGridWidget::resetExposure(TargetIF *target)
{
    target->resetScaleFactor();
    setDisplayGain(1.0);
}

float pq_ImagePatchGridWidget::computeQuickProfile(bool force)
{
    PatchGridIF *grid = nullptr;
    TargetIF *target = nullptr;
    if (!gridAndTarget(grid, target))
        return -1;
    if (!force)
        measurePatches(grid, target, false);
    computeWhiteBalance(grid, target);
    computeSet3Maximum(grid, target);
    resetExposure(target);
    if (!force && !m_quickProfileNeeded)
        return -1;
    m_quickProfileNeeded = 0;

    const DeviceFormat format = deviceFormat(target);
    const RawImageIF &c1Image = m_job->c1TifRawImage();
    const bool withLevels = c1Image.sampleType() != 0 && !force;
    const int rows = int(target->rows());
    const int columns = int(target->columns());
    const int n = rows * columns;
    if (n <= 0)
        return -1;
    std::vector<quint8> skip(std::size_t(n), 1);
    std::vector<char> names(std::size_t(n) * 3 + 1, ' ');
    std::vector<double> device(std::size_t(n) * 3, 0.0);
    std::vector<double> reference(std::size_t(n) * 3, 0.0);
    std::vector<double> tiffLevels(withLevels ? std::size_t(n) * 3 : 0, 0.0);
    std::vector<double> rawLevels(withLevels ? std::size_t(n) * 3 : 0, 0.0);
    std::vector<const PatchIF *> order(std::size_t(n), nullptr);
    int index = 0;
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r, ++index) {
            const PatchIF *p = target->patch(unsigned(c), unsigned(r));
            // A cell where no pixel was sampled (NaN means) is left out too.
            if (!isUsed(p) || !std::isfinite(p->value1(0) + p->value1(1) + p->value1(2)))
                continue;
            order[std::size_t(index)] = p;
            skip[std::size_t(index)] = 0;
            const QByteArray code = p->control().left(3).toLatin1();
            for (int k = 0; k < code.size(); ++k)
                names[std::size_t(index) * 3 + std::size_t(k)] = code.at(k);
            for (int ch = 0; ch < 3; ++ch) {
                const double factor = format.factors[ch];
                double v = finiteOr(p->value1(ch), 0.0) / 65535.0;
                double raw = v;
                if (factor != 1.0) {
                    v = std::min(v * factor, 1.0);
                    raw = v;
                }
                if (format.lut)
                    v = format.lut->evaluate(qBound(0.0, v, 1.0));
                else if (format.spline)
                    v = format.spline->evaluate(v, 1.0);
                if (format.scale != 1.0)
                    v *= format.scale;
                const std::size_t at = std::size_t(index) * 3 + std::size_t(ch);
                device[at] = qBound(0.0, finiteOr(v, 0.0), 1.0) * 255.0;
                reference[at] = finiteOr(p->referenceXYZ(ch), 0.0);
                if (withLevels) {
                    tiffLevels[at] =
                        qBound(0.0, finiteOr(p->value2(ch), 0.0) / 65535.0, 1.0) * 255.0;
                    rawLevels[at] = qBound(0.0, raw, 1.0) * 255.0;
                }
            }
        }
    }

    unsigned char *buffer = nullptr;
    uint32_t size = 0;
    float error1 = -1;
    float error2 = -1;
    const engine_result code = create_quick_profile(
        &buffer, &size, "QuickProfile", kQuickProfileNotice, uint32_t(n), skip.data(),
        names.data(), device.data(), reference.data(), 0, 1, &error1, &error2, nullptr, nullptr,
        nullptr);
    const bool ok = buffer && int(code) == 0 && size != 0 && error1 >= 0 && error2 >= 0
                    && std::isfinite(error1) && std::isfinite(error2);
    if (!ok)
        qCDebug(lcWidgets, "computeQuickProfile: the engine gave no profile (code %d)", int(code));
    if (ok && error1 < 10 && withLevels && !m_job->isFilmCurveAvailable(m_job->cameraName())) {
        Kirr_ColorCurve curve;
        curve.setCurveType(QStringLiteral("n"));
        curve.setRange(0, 1, 0, 1, 0);
        curve.setPoint(0, 0, 0);
        for (int i = 0; i < n; ++i) {
            const PatchIF *p = order[std::size_t(i)];
            if (!p || !p->control().startsWith(QLatin1String("GB")))
                continue;
            const std::size_t at = std::size_t(i) * 3;
            const double x = (tiffLevels[at] + tiffLevels[at + 1] + tiffLevels[at + 2]) / 765.0;
            const double y = (rawLevels[at] + rawLevels[at + 1] + rawLevels[at + 2]) / 765.0;
            curve.setPoint(x, y, 0);
        }
        curve.setPoint(1, 1, 0);
        // Levels that fall where the TIFF's rise come from a picture of
        // something else: such a curve is neither stored nor used.
        bool rising = true;
        for (int i = 1; i < curve.pointCount(0) && rising; ++i)
            rising = curve.pointY(0, i) >= curve.pointY(0, i - 1);
        if (rising) {
            m_job->extractFilmCurve(curve, m_job->cameraName());
            curve.swapAxes(0);
            m_job->setToneCurveLut(curve.bezierLut(0));
            m_job->setToneCurveSpline(curve.spline(0));
            requestRepaint();
        } else {
            qCWarning(lcWidgets) << "computeQuickProfile: the TIFF's grey levels do not rise with the shot's;"
                                 << "no film curve made";
            emit filmCurveRefused();
        }
    }
    if (ok && error1 < m_bestQuickProfileError) {
        std::unique_ptr<Kirr_ColorProfileIF> quick(
            Kirr_profileFromData(QByteArray(reinterpret_cast<const char *>(buffer), int(size))));
        if (quick) {
            m_quickDefaultRGBImage = QImage();
            m_quickMonitorImage = QImage();
            delete m_quickDefaultRGBMatch;
            m_quickDefaultRGBMatch = nullptr;
            delete m_quickMonitorMatch;
            m_quickMonitorMatch = nullptr;
            std::unique_ptr<Kirr_ColorProfileIF> defaultRGB(
                m_defaultRGBProfilePath.isEmpty() ? nullptr
                                                  : Kirr_profileFromFile(m_defaultRGBProfilePath));
            std::unique_ptr<Kirr_ColorProfileIF> display(Kirr_displayProfile());
            if (defaultRGB)
                m_quickDefaultRGBMatch = Kirr_createColorMatch(quick.get(), defaultRGB.get(), 1);
            if (display)
                m_quickMonitorMatch = Kirr_createColorMatch(quick.get(), display.get(), 1);
            else if (defaultRGB)
                m_quickMonitorMatch = Kirr_createColorMatch(quick.get(), defaultRGB.get(), 1);
            m_bestQuickProfileError = error1;
            m_job->savePatchGrid(rotationAngle());
            requestRepaint();
        }
    }
    std::free(buffer);
    if (!std::isfinite(error1))
        return -1;
    return error1;
}

// Statistics.

void pq_ImagePatchGridWidget::computeStatistics()
{
    m_histogram.clear();
    m_qualityPassed = true;
    m_metamorfozeMode = false;
    PatchGridIF *grid = nullptr;
    TargetIF *target = nullptr;
    if (m_job && m_job->expertSettings())
        m_metamorfozeMode = m_job->expertSettings()->qualityControl() == QLatin1String("Metamorfoze");
    const int formula = m_job && m_job->expertSettings() ? m_job->expertSettings()->deltaEFormula() : 2;
    if (!gridAndTarget(grid, target))
        return;
    const DeviceFormat format = deviceFormat(target);
    std::unique_ptr<Kirr_ColorImageIF> device = pq_onePixel(format.colorSpace, format.bits, format.channels);
    std::unique_ptr<Kirr_ColorImageIF> lab16 = pq_onePixel(Kirr_sig("Lab "), 16, 3);
    if (!device || !lab16)
        return;
    exposeToTargetWhite(target, format, *device, *lab16);
    const QTransform inverse = displayTransform(false).inverted();
    pq_GainModulation gainMod;
    for (unsigned r = 0; r < target->rows(); ++r) {
        for (unsigned c = 0; c < target->columns(); ++c) {
            PatchIF *p = target->patch(c, r);
            if (!isUsed(p) || valueOneIsZero(*p))
                continue;
            grid->setSampleArea(int(c), int(r), 0.5);
            grid->transformSampleArea(inverse);
            fillDevicePixel(*p, format, *device);
            double measured[3];
            if (!measuredLab(*device, *lab16, measured))
                continue;
            double ref[3];
            referenceLab(*p, ref);
            float dL = 0, dC = 0, dH = 0;
            const double dE = Kirr_colorDifference(measured, ref, formula, &dL, &dC, &dH);
            if (!std::isfinite(dE))
                continue;
            m_histogram.add(dE, 1);
            const bool atGainPatch = gainMod.add(p->name(), measured[0], ref[0]);
            if (m_metamorfozeMode && dE >= 0) {
                if (p->type() == PatchIF::TypeGrey) {
                    if (std::fabs(dL) > 2 || std::fabs(dC) > 2)
                        m_qualityPassed = false;
                } else if (dE > 10) {
                    m_qualityPassed = false;
                }
                if (atGainPatch && gainMod.gain > 0 && (gainMod.gain < 80 || gainMod.gain > 108))
                    m_qualityPassed = false;
            }
        }
    }
    if (!m_histogram.isEmpty() && m_histogram.mean() > 4)
        m_qualityPassed = false;
}

void pq_ImagePatchGridWidget::qualityResult(pq_DeltaEHistogram *histogram, bool *passed,
                                            bool *metamorfoze) const
{
    if (histogram)
        *histogram = m_histogram;
    if (passed)
        *passed = m_qualityPassed;
    if (metamorfoze)
        *metamorfoze = m_metamorfozeMode;
}
