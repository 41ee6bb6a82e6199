#pragma once
// The stages of Target::saveForProfile, in the order it runs them, and the
// record they share. Each stage reads what the earlier ones left in the record
// and adds its own part.

#include <chart/csContext.h>

#include <QByteArray>
#include <QString>

class Kirr_BezierLut;
class Kirr_Spline1;
class Target;

namespace target_save {

// Field layout of a run's file pair: device values per measurement line and
// the spectral columns of the reference lines.
struct RunLayout {
    int valueCount = 0;
    int spectralStart = 0;
    int spectralStep = 0;
    int spectralCount = 0;

    int spectralEnd() const { return spectralStart + (spectralCount - 1) * spectralStep; }
    bool operator==(const RunLayout& o) const
    {
        return valueCount == o.valueCount && spectralStart == o.spectralStart
               && spectralStep == o.spectralStep && spectralCount == o.spectralCount;
    }
};

// The caller's settings of one call, as given.
struct SaveSettings {
    csContext::Observer observer = csContext::CIE1931_2;
    csContext::Illuminant illuminant = csContext::D50;
    QString illuminantFile;
    bool useChannelFactors = false;
    const Kirr_BezierLut* lut = nullptr;
    const Kirr_Spline1* spline = nullptr;
    double gamma = 0.0;
    double whiteTarget = 0.0;
    bool noSpectra = false;
};

// What one call builds up, stage by stage.
struct SaveState {
    RunLayout layout;
    csContext patchContext;     // the references' colours
    csContext labContext;       // XYZ to Lab
    QByteArray illuminantName;
    double flatMax = 0.0;       // flat-field reference: brightest channel of value set 3
    int flatChannel = 0;
    bool factors = false;       // channel factors apply
    double maxLevel = 0.0;      // level the white target is scaled to
    QByteArray reference;       // bytes to append to the two files
    QByteArray measurement;
    unsigned long counter = 0;  // sample number of the next line
    bool foundNaN = false;
    bool anyPositive = false;
};

// 1. The target's value count and spectral range: from the first patch in row
//    order that has them (no spectra with noSpectra).
RunLayout targetLayout(const Target& target, bool noSpectra);
// A later target joins the columns the run's first target declared: false
// when its value count or its spectra differ from them.
bool joinRun(const RunLayout& run, RunLayout* layout);
// 2. The patch and Lab contexts: range, observer, illuminant or the
//    illuminant file's spectrum.
void setUpContexts(const SaveSettings& settings, SaveState* state);
// 3. The ILLUMINANT text of the reference header.
QByteArray illuminantName(int illuminant, const QString& illuminantFile);
// 4. The flat-field reference.
void findFlatField(const Target& target, SaveState* state);
// 5. With the first target: both headers; the positions of their
//    NUMBER_OF_SETS placeholders.
void writeHeaders(const SaveSettings& settings, SaveState* state, unsigned long* referenceSetsPos,
                  unsigned long* measurementSetsPos);
// 6. The channel maxima after the factors and the tone curve.
void findMaxLevel(const Target& target, const SaveSettings& settings, SaveState* state);
// 7. A level (0..255) through the tone curve.
double toneMap(double v, const SaveSettings& settings);
// 8. One measurement and one reference line per patch, rows then columns.
void writePatchLines(const Target& target, const SaveSettings& settings, SaveState* state);
// 9. Appends the lines to the two files, with the last target END_DATA;
//    false when that fails (the files are cut back to where they were).
bool appendLines(const QString& referencePath, const QString& measurementPath, bool first,
                 bool last, SaveState* state);
// 10. Bad data: a NaN value or no value above 0.
bool isBadData(const SaveState& state);
// 11. With the last target: the NUMBER_OF_SETS count into both files.
bool closeRun(const QString& referencePath, const QString& measurementPath,
              unsigned long referenceSetsPos, unsigned long measurementSetsPos,
              unsigned long sampleCount);

// The layouts of the runs under way, by their file pair: what the first
// target wrote, kept for the targets that follow.
void keepRunLayout(const QString& referencePath, const QString& measurementPath,
                   const RunLayout& layout);
bool runLayout(const QString& referencePath, const QString& measurementPath, RunLayout* layout);
void forgetRun(const QString& referencePath, const QString& measurementPath);

}  // namespace target_save
