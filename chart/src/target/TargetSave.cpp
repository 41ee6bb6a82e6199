// Writing a target into the pair of CGATS files of a profiling run: the
// reference data file (".cie") and the measurement file (".pix").

#include <chart/Target.h>
#include "ChartLogging.h"

#include <chart/CIEColor.h>
#include <chart/Illuminant.h>
#include <chart/Patch.h>
#include <chart/SpectrumArray.h>
#include <chart/csContext.h>

#include <colour/Kirr_BezierLut.h>
#include <colour/Kirr_Spline1.h>

#include <QDebug>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const char kSetsPlaceholder[] = "######";
constexpr int kSetsWidth = 6;
constexpr unsigned long kMaxSets = 999999;  // what fits in the six-character field
constexpr qint64 kHeaderBytes = 1 << 16;

// Field layout of a run's file pair: device values per measurement line and
// the spectral columns of the reference lines.
struct RunLayout {
    int valueCount = 0;
    int spectralStart = 0;
    int spectralStep = 0;
    int spectralCount = 0;
};

QByteArray fixed(double v, int precision, int width)
{
    return QByteArray::number(v, 'f', precision).rightJustified(width, ' ');
}

QByteArray illuminantName(int illuminant, const QString& illuminantFile)
{
    if (illuminant == 1) return "CIE_D50";
    if (illuminant == 2) return "CIE_A";
    if (illuminant == 3) return "CIE_D65";
    if (illuminant >= 4 && illuminant <= 15) return "CIE_F" + QByteArray::number(illuminant - 3);
    if (illuminant == 16) return "CIE_E";
    if (illuminant == 17) return "CIE_D55";
    if (illuminant == 18) return "CIE_D75";
    if (illuminant == 19) return "CIE_B";
    if (illuminant == 20) return "CIE_C";
    if (illuminant >= 21 && illuminant <= 35)
        return "CIE_FL3_" + QByteArray::number(illuminant - 20);
    if (illuminant >= 36 && illuminant <= 40) return "CIE_HP" + QByteArray::number(illuminant - 35);
    if (illuminant == 0) {
        const QFileInfo info(illuminantFile);
        if (!illuminantFile.isEmpty() && info.exists())
            return info.completeBaseName().toUtf8();
    }
    qCWarning(lcTarget, "failed to set illuminant: '%s'",
              illuminantFile.toLocal8Bit().constData());
    return QByteArray();
}

double toneMap(double v, const Kirr_BezierLut* lut, const Kirr_Spline1* spline, double gamma)
{
    if (lut)
        return 255.0 * lut->evaluate(v / 255.0);
    if (spline)
        return 255.0 * spline->evaluate(v / 255.0);
    if (gamma != 0.0 && gamma != 1.0)
        return 255.0 * std::pow(v / 255.0, 1.0 / gamma);
    return v;
}

QByteArray commonHeader(bool reference, const QByteArray& illuminant, bool observer10)
{
    QByteArray h = "IS12642\n"
                   "DESCRIPTOR\t\"Vandrelith pelto\"\n"
                   "MATERIAL\t\"Vandrelith pelto\"\n"
                   "MANUFACTURER\t\"Vandrelith pelto\"\n";
    if (reference) {
        h += "ILLUMINANT\t\"" + illuminant + "\"\n";
        h += QByteArray("OBSERVER\t\"") + (observer10 ? "10" : "2") + "\"\n";
    }
    h += "CREATED\t\"xxx\"\n"
         "PROD_DATE\t\"xxx\"\n"
         "SERIAL\t\"Vandrelith pelto\"\n";
    return h;
}

QByteArray readHead(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.read(kHeaderBytes);
}

// The layout that the first target of the run wrote into the two headers.
bool readRunLayout(const QString& referencePath, const QString& measurementPath, RunLayout* out)
{
    RunLayout layout;
    const QByteArray measurement = readHead(measurementPath);
    const QByteArray key = "\nNUMBER_OF_FIELDS\t";
    const int at = measurement.indexOf(key);
    if (at < 0)
        return false;
    const int lineEnd = measurement.indexOf('\n', at + key.size());
    bool ok = false;
    const int fields = measurement.mid(at + key.size(), lineEnd - at - key.size()).toInt(&ok);
    if (!ok || fields < 2)
        return false;
    layout.valueCount = fields - 2;

    const QByteArray reference = readHead(referencePath);
    const QByteArray format = "\nSAMPLE_ID\tCONTROL\tLAB_L\tLAB_A\tLAB_B";
    const int f = reference.indexOf(format);
    if (f < 0)
        return false;
    const int end = reference.indexOf("END_DATA_FORMAT", f);
    if (end < 0)
        return false;
    const QList<QByteArray> names =
        reference.mid(f + format.size(), end - f - format.size()).simplified().split(' ');
    std::vector<int> nm;
    for (const QByteArray& name : names) {
        if (name.isEmpty())
            continue;
        if (!name.startsWith("R_"))
            return false;
        const int w = name.mid(2).toInt(&ok);
        if (!ok)
            return false;
        nm.push_back(w);
    }
    if (nm.size() == 1)
        return false;
    if (nm.size() >= 2) {
        layout.spectralStart = nm.front();
        layout.spectralStep = nm[1] - nm[0];
        layout.spectralCount = int(nm.size());
        if (layout.spectralStep <= 0)
            return false;
    }
    *out = layout;
    return true;
}

// Appends bytes to the file; on any failure the file is cut back to its
// previous size. previousSize receives that size.
bool appendBytes(const QString& path, bool create, const QByteArray& bytes, qint64* previousSize)
{
    QFile file(path);
    const QIODevice::OpenMode mode =
        create ? (QIODevice::WriteOnly | QIODevice::Truncate) : (QIODevice::WriteOnly | QIODevice::Append);
    if (!file.open(mode))
        return false;
    *previousSize = file.size();
    const bool ok = file.write(bytes) == bytes.size() && file.flush();
    if (!ok)
        file.resize(*previousSize);
    return ok;
}

void cutBack(const QString& path, qint64 size)
{
    QFile file(path);
    if (file.open(QIODevice::ReadWrite))
        file.resize(size);
}

// Overwrites the NUMBER_OF_SETS placeholder at pos with the count.
bool patchSetCount(const QString& path, unsigned long pos, unsigned long count)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    if (!file.seek(qint64(pos)) || file.read(kSetsWidth) != QByteArray(kSetsPlaceholder))
        return false;
    const QByteArray text = QByteArray::number(qulonglong(count)).rightJustified(kSetsWidth, ' ');
    return file.seek(qint64(pos)) && file.write(text) == kSetsWidth && file.flush();
}

} // namespace

bool Target::saveForProfile(const QString& referencePath, const QString& measurementPath,
                            bool first, bool last, unsigned long& sampleCounter,
                            unsigned long& referenceSetsPos, unsigned long& measurementSetsPos,
                            csContext::Observer observer, csContext::Illuminant illuminant,
                            const QString& illuminantFile, bool& badData, bool useChannelFactors,
                            const Kirr_BezierLut* lut, const Kirr_Spline1* spline, double gamma,
                            double whiteTarget, bool noSpectra)
{
    badData = false;

    // Spectral range and value count of this target, from the first patch in
    // row order that has them.
    RunLayout layout;
    for (unsigned r = 0; r < m_rows; ++r) {
        for (unsigned c = 0; c < m_columns; ++c) {
            const PatchIF* p = patch(c, r);
            if (!p)
                continue;
            if (layout.valueCount == 0 && p->valueCount() > 0)
                layout.valueCount = int(p->valueCount());
            if (!noSpectra && layout.spectralCount == 0 && p->hasSpectrum()
                && p->spectrumStep() > 0 && p->spectrumEnd() >= p->spectrumStart()) {
                layout.spectralStart = p->spectrumStart();
                layout.spectralStep = p->spectrumStep();
                layout.spectralCount =
                    (p->spectrumEnd() - p->spectrumStart()) / p->spectrumStep() + 1;
            }
        }
    }
    if (!first) {
        // Later targets follow the columns the first one declared.
        RunLayout run;
        if (!readRunLayout(referencePath, measurementPath, &run)) {
            qCDebug(lcTarget) << "cannot read the run's headers";
            return false;
        }
        if (run.valueCount != layout.valueCount
            || (run.spectralCount > 0
                && (run.spectralCount != layout.spectralCount
                    || run.spectralStart != layout.spectralStart
                    || run.spectralStep != layout.spectralStep))) {
            qCDebug(lcTarget) << "target does not match the run's columns";
            return false;
        }
        layout.spectralCount = run.spectralCount;
        layout.spectralStart = run.spectralStart;
        layout.spectralStep = run.spectralStep;
    }
    const bool spectral = layout.spectralCount > 0;
    const int spectralEnd = layout.spectralStart + (layout.spectralCount - 1) * layout.spectralStep;

    csContext patchContext;
    csContext labContext;
    if (spectral) {
        patchContext.setRange(unsigned(layout.spectralStart), unsigned(spectralEnd),
                              unsigned(layout.spectralStep));
        labContext.setRange(unsigned(layout.spectralStart), unsigned(spectralEnd),
                            unsigned(layout.spectralStep));
    }
    patchContext.setObserver(observer);
    labContext.setObserver(observer);
    if (illuminant != csContext::Custom) {
        patchContext.setIlluminant(illuminant);
    } else if (!illuminantFile.isEmpty()) {
        Illuminant source;
        QString message;
        if (source.loadFromFile(illuminantFile, message) == IlluminantIF::LoadOk
            && source.step() > 0) {
            int start = 0, end = 0, step = 0;
            source.range(&start, &end, &step);
            const int count = (end - start) / step + 1;
            std::vector<float> values(static_cast<std::size_t>(count));
            for (int i = 0; i < count; ++i)
                values[std::size_t(i)] = float(source.value(i));
            const SpectrumArray spectrum(values.data(), unsigned(count), unsigned(start),
                                         unsigned(step));
            patchContext.coverRange(unsigned(start), unsigned(end), unsigned(step));
            patchContext.setCustomIlluminant(spectrum);
        }
    }
    const QByteArray illuminantText = illuminantName(int(illuminant), illuminantFile);

    // Flat-field reference: the brightest channel of value set 3.
    double flatMax = 0.0;
    int flatChannel = 0;
    for (const auto& p : m_patches) {
        for (int j = 0; j < 3 && unsigned(j) < p->valueCount(); ++j) {
            const double w = p->value3(j) / 257.0;
            if (std::isnan(w) || w <= 0.0)
                continue;
            if (w > flatMax) {
                flatMax = w;
                flatChannel = j;
            }
        }
    }

    QByteArray reference;
    QByteArray measurement;
    if (first) {
        reference = commonHeader(true, illuminantText, observer == csContext::CIE1964_10);
        if (!spectral) {
            reference += "NUMBER_OF_FIELDS\t5\n"
                         "BEGIN_DATA_FORMAT\n"
                         "SAMPLE_ID\tCONTROL\tLAB_L\tLAB_A\tLAB_B\n"
                         "END_DATA_FORMAT\n";
        } else {
            reference += "NUMBER_OF_FIELDS\t" + QByteArray::number(layout.spectralCount + 5) + "\n"
                         "BEGIN_DATA_FORMAT\n"
                         "SAMPLE_ID\tCONTROL\tLAB_L\tLAB_A\tLAB_B\t";
            for (int i = 0; i < layout.spectralCount; ++i)
                reference += "R_" + QByteArray::number(layout.spectralStart + i * layout.spectralStep) + "\t";
            reference += "\nEND_DATA_FORMAT\n";
        }
        reference += "NUMBER_OF_SETS\t";
        referenceSetsPos = (unsigned long)reference.size();
        reference += kSetsPlaceholder;
        reference += "\nBEGIN_DATA\n";

        measurement = commonHeader(false, QByteArray(), false);
        measurement += "KEYWORD\t\"CONTROL\"\n"
                       "NUMBER_OF_FIELDS\t" + QByteArray::number(layout.valueCount + 2) + "\n"
                       "BEGIN_DATA_FORMAT\n"
                       "SAMPLE_ID\tCONTROL";
        static const char* const rgb[3] = {"\tRGB_R", "\tRGB_G", "\tRGB_B"};
        for (int j = 0; j < layout.valueCount; ++j)
            measurement += j < 3 ? QByteArray(rgb[j]) : "\tMCLR_" + QByteArray::number(j + 1);
        measurement += "\nEND_DATA_FORMAT\n"
                       "NUMBER_OF_SETS\t";
        measurementSetsPos = (unsigned long)measurement.size();
        measurement += kSetsPlaceholder;
        measurement += "\nBEGIN_DATA\n";
        sampleCounter = 0;
    }

    // Channel maxima after the factors and the tone curve: the level that the
    // white target is scaled to.
    const unsigned n = unsigned(layout.valueCount);
    const bool factors = useChannelFactors && hasChannelFactors(n);
    double maxLevel = 0.0;
    for (unsigned j = 0; j < n; ++j) {
        double channelMax = 0.0;
        bool any = false;
        for (const auto& p : m_patches) {
            if (p->valueCount() == 0 || j >= p->valueCount())
                continue;
            const double v = p->value1(int(j)) / 257.0;
            if (std::isnan(v))
                continue;
            channelMax = any ? std::max(channelMax, v) : v;
            any = true;
        }
        if (!any)
            continue;
        if (factors)
            channelMax = std::clamp(channelMax * channelFactor(j), 0.0, 255.0);
        maxLevel = std::max(maxLevel, toneMap(channelMax, lut, spline, gamma));
    }

    bool foundNaN = false;
    bool anyPositive = false;
    unsigned long counter = sampleCounter;
    const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    for (unsigned r = 0; r < m_rows; ++r) {
        for (unsigned c = 0; c < m_columns; ++c) {
            PatchIF* p = patch(c, r);
            if (!p)
                continue;
            const QByteArray number = QByteArray::number(qulonglong(counter)) + "\t";
            QByteArray control = p->control().toUtf8();
            if (control.isEmpty())
                control = "N";
            const bool ignored = control == "I";

            measurement += number + control + "\t";
            for (unsigned j = 0; j < n; ++j) {
                double v = p->value1(int(j)) / 257.0;
                if (v > 0.0)
                    anyPositive = true;
                if (std::isnan(v))
                    foundNaN = true;
                if (flatMax > 0.0) {
                    const double w = p->value3(flatChannel) / 257.0;
                    if (!std::isnan(w) && w > 0.0)
                        v = v / (w / flatMax);
                } else if (factors) {
                    v = std::clamp(channelFactor(j) * v, 0.0, 255.0);
                }
                v = toneMap(v, lut, spline, gamma);
                if (whiteTarget != 0.0 && maxLevel > 0.0)
                    v = v * whiteTarget / maxLevel;
                measurement += fixed(v, 2, 6) + "\t";
            }
            measurement += "\n";

            p->setColorContext(&patchContext);
            const float xyz[3] = {float(p->referenceXYZ(0)), float(p->referenceXYZ(1)),
                                  float(p->referenceXYZ(2))};
            float mapped[3];
            applyMatrix3x3(identity, xyz, mapped);
            float lab[3];
            labContext.xyzToLab(mapped, lab);
            reference += number + control + "\t";
            for (int k = 0; k < 3; ++k)
                reference += fixed(ignored ? 0.0 : double(lab[k]), 2, 6) + "\t";
            const SpectrumArray* spectrum = p->referenceSpectrum();
            for (int i = 0; i < layout.spectralCount; ++i) {
                double s = 0.0;
                if (!ignored && spectrum && spectrum->count() > 0)
                    s = spectrum->value(std::min(unsigned(i), spectrum->count() - 1));
                reference += fixed(s, 4, 6) + "\t";
            }
            reference += "\n";
            ++counter;
        }
    }
    // The contexts end here; the references go back to the default one.
    for (const auto& p : m_patches)
        p->setColorContext(nullptr);

    if (last) {
        reference += "END_DATA\n";
        measurement += "END_DATA\n";
        if (counter > kMaxSets) {
            qCDebug(lcTarget) << "too many samples for one run:" << counter;
            return false;
        }
    }

    qint64 referenceSize = 0;
    qint64 measurementSize = 0;
    if (!appendBytes(referencePath, first, reference, &referenceSize))
        return false;
    if (!appendBytes(measurementPath, first, measurement, &measurementSize)) {
        cutBack(referencePath, referenceSize);
        return false;
    }
    sampleCounter = counter;

    badData = foundNaN || !anyPositive;
    if (badData)
        qCDebug(lcTarget, "found NaN: %d, pixel values != 0: %d", int(foundNaN), int(anyPositive));

    if (last) {
        return patchSetCount(referencePath, referenceSetsPos, sampleCounter)
               && patchSetCount(measurementPath, measurementSetsPos, sampleCounter);
    }
    return true;
}
