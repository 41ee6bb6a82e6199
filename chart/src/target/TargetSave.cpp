// Writing a target into the pair of CGATS files of a profiling run: the
// reference data file (".cie") and the measurement file (".pix").

#include "target/TargetSaveStages.h"

#include "ChartLogging.h"

#include <chart/Target.h>

#include <chart/CIEColor.h>
#include <chart/Illuminant.h>
#include <chart/Patch.h>
#include <chart/SpectrumArray.h>

#include <colour/Kirr_BezierLut.h>
#include <colour/Kirr_Spline1.h>

#include <QDebug>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <vector>

namespace target_save {

namespace {

const char kSetsPlaceholder[] = "######";
constexpr int kSetsWidth = 6;
constexpr unsigned long kMaxSets = 999999;  // what fits in the six-character field

QByteArray fixed(double v, int precision, int width)
{
    return QByteArray::number(v, 'f', precision).rightJustified(width, ' ');
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

// Runs under way. A run is one file pair written by one profiling run on one
// thread; the lock only keeps runs on different threads apart.
struct RunKey {
    QString reference;
    QString measurement;
    bool operator<(const RunKey& o) const
    {
        return reference != o.reference ? reference < o.reference : measurement < o.measurement;
    }
};

std::mutex& runsLock()
{
    static std::mutex lock;
    return lock;
}

std::map<RunKey, RunLayout>& runs()
{
    static std::map<RunKey, RunLayout> map;
    return map;
}

RunKey runKey(const QString& referencePath, const QString& measurementPath)
{
    return {QFileInfo(referencePath).absoluteFilePath(),
            QFileInfo(measurementPath).absoluteFilePath()};
}

}  // namespace

void keepRunLayout(const QString& referencePath, const QString& measurementPath,
                   const RunLayout& layout)
{
    const std::lock_guard<std::mutex> hold(runsLock());
    runs()[runKey(referencePath, measurementPath)] = layout;
}

bool runLayout(const QString& referencePath, const QString& measurementPath, RunLayout* layout)
{
    const std::lock_guard<std::mutex> hold(runsLock());
    const auto it = runs().find(runKey(referencePath, measurementPath));
    if (it == runs().end())
        return false;
    *layout = it->second;
    return true;
}

void forgetRun(const QString& referencePath, const QString& measurementPath)
{
    const std::lock_guard<std::mutex> hold(runsLock());
    runs().erase(runKey(referencePath, measurementPath));
}

RunLayout targetLayout(const Target& target, bool noSpectra)
{
    RunLayout layout;
    for (unsigned r = 0; r < target.rows(); ++r) {
        for (unsigned c = 0; c < target.columns(); ++c) {
            const PatchIF* p = target.patch(c, r);
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
    return layout;
}

bool joinRun(const RunLayout& run, RunLayout* layout)
{
    if (run.valueCount != layout->valueCount
        || (run.spectralCount > 0
            && (run.spectralCount != layout->spectralCount
                || run.spectralStart != layout->spectralStart
                || run.spectralStep != layout->spectralStep)))
        return false;
    // A run without spectra takes none from a later target.
    layout->spectralCount = run.spectralCount;
    layout->spectralStart = run.spectralStart;
    layout->spectralStep = run.spectralStep;
    return true;
}

void setUpContexts(const SaveSettings& settings, SaveState* state)
{
    const RunLayout& layout = state->layout;
    if (layout.spectralCount > 0) {
        state->patchContext.setRange(unsigned(layout.spectralStart), unsigned(layout.spectralEnd()),
                                     unsigned(layout.spectralStep));
        state->labContext.setRange(unsigned(layout.spectralStart), unsigned(layout.spectralEnd()),
                                   unsigned(layout.spectralStep));
    }
    state->patchContext.setObserver(settings.observer);
    state->labContext.setObserver(settings.observer);
    if (settings.illuminant != csContext::Custom) {
        state->patchContext.setIlluminant(settings.illuminant);
    } else if (!settings.illuminantFile.isEmpty()) {
        Illuminant source;
        QString message;
        if (source.loadFromFile(settings.illuminantFile, message) == IlluminantIF::LoadOk
            && source.step() > 0) {
            int start = 0, end = 0, step = 0;
            source.range(&start, &end, &step);
            const int count = (end - start) / step + 1;
            std::vector<float> values(static_cast<std::size_t>(count));
            for (int i = 0; i < count; ++i)
                values[std::size_t(i)] = float(source.value(i));
            const SpectrumArray spectrum(values.data(), unsigned(count), unsigned(start),
                                         unsigned(step));
            state->patchContext.coverRange(unsigned(start), unsigned(end), unsigned(step));
            state->patchContext.setCustomIlluminant(spectrum);
        }
    }
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

void findFlatField(const Target& target, SaveState* state)
{
    for (unsigned i = 0; i < target.patchCount(); ++i) {
        const PatchIF* p = target.patchAt(i);
        for (int j = 0; j < 3 && unsigned(j) < p->valueCount(); ++j) {
            const double w = p->value3(j) / 257.0;
            if (std::isnan(w) || w <= 0.0)
                continue;
            if (w > state->flatMax) {
                state->flatMax = w;
                state->flatChannel = j;
            }
        }
    }
}

void writeHeaders(const SaveSettings& settings, SaveState* state, unsigned long* referenceSetsPos,
                  unsigned long* measurementSetsPos)
{
    const RunLayout& layout = state->layout;
    QByteArray& reference = state->reference;
    reference = commonHeader(true, state->illuminantName,
                             settings.observer == csContext::CIE1964_10);
    if (layout.spectralCount == 0) {
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
    *referenceSetsPos = (unsigned long)reference.size();
    reference += kSetsPlaceholder;
    reference += "\nBEGIN_DATA\n";

    QByteArray& measurement = state->measurement;
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
    *measurementSetsPos = (unsigned long)measurement.size();
    measurement += kSetsPlaceholder;
    measurement += "\nBEGIN_DATA\n";
    state->counter = 0;
}

double toneMap(double v, const SaveSettings& settings)
{
    if (settings.lut)
        return 255.0 * settings.lut->evaluate(v / 255.0);
    if (settings.spline)
        return 255.0 * settings.spline->evaluate(v / 255.0);
    if (settings.gamma != 0.0 && settings.gamma != 1.0)
        return 255.0 * std::pow(v / 255.0, 1.0 / settings.gamma);
    return v;
}

void findMaxLevel(const Target& target, const SaveSettings& settings, SaveState* state)
{
    const unsigned n = unsigned(state->layout.valueCount);
    state->factors = settings.useChannelFactors && target.hasChannelFactors(n);
    state->maxLevel = 0.0;
    for (unsigned j = 0; j < n; ++j) {
        double channelMax = 0.0;
        bool any = false;
        for (unsigned i = 0; i < target.patchCount(); ++i) {
            const PatchIF* p = target.patchAt(i);
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
        if (state->factors)
            channelMax = std::clamp(channelMax * target.channelFactor(j), 0.0, 255.0);
        state->maxLevel = std::max(state->maxLevel, toneMap(channelMax, settings));
    }
}

void writePatchLines(const Target& target, const SaveSettings& settings, SaveState* state)
{
    const unsigned n = unsigned(state->layout.valueCount);
    const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    for (unsigned r = 0; r < target.rows(); ++r) {
        for (unsigned c = 0; c < target.columns(); ++c) {
            PatchIF* p = target.patch(c, r);
            if (!p)
                continue;
            const QByteArray number = QByteArray::number(qulonglong(state->counter)) + "\t";
            QByteArray control = p->control().toUtf8();
            if (control.isEmpty())
                control = "N";
            const bool ignored = control == "I";

            QByteArray& measurement = state->measurement;
            measurement += number + control + "\t";
            for (unsigned j = 0; j < n; ++j) {
                double v = p->value1(int(j)) / 257.0;
                if (v > 0.0)
                    state->anyPositive = true;
                if (std::isnan(v))
                    state->foundNaN = true;
                if (state->flatMax > 0.0) {
                    const double w = p->value3(state->flatChannel) / 257.0;
                    if (!std::isnan(w) && w > 0.0)
                        v = v / (w / state->flatMax);
                } else if (state->factors) {
                    v = std::clamp(target.channelFactor(j) * v, 0.0, 255.0);
                }
                v = toneMap(v, settings);
                if (settings.whiteTarget != 0.0 && state->maxLevel > 0.0)
                    v = v * settings.whiteTarget / state->maxLevel;
                measurement += fixed(v, 2, 6) + "\t";
            }
            measurement += "\n";

            p->setColorContext(&state->patchContext);
            const float xyz[3] = {float(p->referenceXYZ(0)), float(p->referenceXYZ(1)),
                                  float(p->referenceXYZ(2))};
            float mapped[3];
            applyMatrix3x3(identity, xyz, mapped);
            float lab[3];
            state->labContext.xyzToLab(mapped, lab);
            QByteArray& reference = state->reference;
            reference += number + control + "\t";
            for (int k = 0; k < 3; ++k)
                reference += fixed(ignored ? 0.0 : double(lab[k]), 2, 6) + "\t";
            const SpectrumArray* spectrum = p->referenceSpectrum();
            for (int i = 0; i < state->layout.spectralCount; ++i) {
                double s = 0.0;
                if (!ignored && spectrum && spectrum->count() > 0)
                    s = spectrum->value(std::min(unsigned(i), spectrum->count() - 1));
                reference += fixed(s, 4, 6) + "\t";
            }
            reference += "\n";
            ++state->counter;
        }
    }
    // The contexts end with the state; the references go back to the default one.
    for (unsigned i = 0; i < target.patchCount(); ++i)
        target.patchAt(i)->setColorContext(nullptr);
}

bool appendLines(const QString& referencePath, const QString& measurementPath, bool first,
                 bool last, SaveState* state)
{
    if (last) {
        state->reference += "END_DATA\n";
        state->measurement += "END_DATA\n";
        if (state->counter > kMaxSets) {
            qCDebug(lcTarget) << "too many samples for one run:" << state->counter;
            return false;
        }
    }
    qint64 referenceSize = 0;
    qint64 measurementSize = 0;
    if (!appendBytes(referencePath, first, state->reference, &referenceSize))
        return false;
    if (!appendBytes(measurementPath, first, state->measurement, &measurementSize)) {
        cutBack(referencePath, referenceSize);
        return false;
    }
    return true;
}

bool isBadData(const SaveState& state)
{
    const bool bad = state.foundNaN || !state.anyPositive;
    if (bad)
        qCDebug(lcTarget, "found NaN: %d, pixel values != 0: %d", int(state.foundNaN), int(state.anyPositive));
    return bad;
}

bool closeRun(const QString& referencePath, const QString& measurementPath,
              unsigned long referenceSetsPos, unsigned long measurementSetsPos,
              unsigned long sampleCount)
{
    return patchSetCount(referencePath, referenceSetsPos, sampleCount)
           && patchSetCount(measurementPath, measurementSetsPos, sampleCount);
}

}  // namespace target_save

bool Target::saveForProfile(const QString& referencePath, const QString& measurementPath,
                            bool first, bool last, unsigned long& sampleCounter,
                            unsigned long& referenceSetsPos, unsigned long& measurementSetsPos,
                            csContext::Observer observer, csContext::Illuminant illuminant,
                            const QString& illuminantFile, bool& badData, bool useChannelFactors,
                            const Kirr_BezierLut* lut, const Kirr_Spline1* spline, double gamma,
                            double whiteTarget, bool noSpectra)
{
    using namespace target_save;
    badData = false;
    const SaveSettings settings{observer, illuminant, illuminantFile, useChannelFactors,
                                lut,      spline,     gamma,          whiteTarget,
                                noSpectra};
    SaveState state;
    state.layout = targetLayout(*this, noSpectra);
    if (!first) {
        // Later targets follow the columns the first one declared.
        RunLayout run;
        if (!runLayout(referencePath, measurementPath, &run)) {
            qCDebug(lcTarget) << "no run begun with these files";
            return false;
        }
        if (!joinRun(run, &state.layout)) {
            qCDebug(lcTarget) << "target does not match the run's columns";
            forgetRun(referencePath, measurementPath);
            return false;
        }
    }
    setUpContexts(settings, &state);
    state.illuminantName = illuminantName(int(illuminant), illuminantFile);
    findFlatField(*this, &state);
    if (first) {
        writeHeaders(settings, &state, &referenceSetsPos, &measurementSetsPos);
        sampleCounter = 0;
    }
    state.counter = sampleCounter;
    findMaxLevel(*this, settings, &state);
    writePatchLines(*this, settings, &state);

    const bool appended = appendLines(referencePath, measurementPath, first, last, &state);
    if (!appended || last)
        forgetRun(referencePath, measurementPath);
    if (!appended)
        return false;
    if (first && !last)
        keepRunLayout(referencePath, measurementPath, state.layout);
    sampleCounter = state.counter;
    badData = isBadData(state);
    if (last)
        return closeRun(referencePath, measurementPath, referenceSetsPos, measurementSetsPos,
                        sampleCounter);
    return true;
}
