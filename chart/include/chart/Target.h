#pragma once
// One colour chart of a job: a matrix of patches (rows x columns, row-major)
// built from a CGATS definition text (SAMPLE_ID, CONTROL, optional RGB_R/G/B)
// and filled with reference colours from a CGATS reference text (Lab, XYZ or
// spectra). After the patch grid has measured a chart image into the patches,
// saveForProfile appends the target to the pair of CGATS files the profile
// engine reads: the reference data file (".cie") and the measurement file
// (".pix").
//
// Copies share the patches (and the cache of normalised reference texts); a
// patch lives as long as the last target that holds it.

#include <chart/csContext.h>

#include <QMap>
#include <QString>

#include <memory>
#include <string>
#include <vector>

class Kirr_BezierLut;
class Kirr_Spline1;
class PatchIF;

class TargetIF {
public:
    enum statusE {
        StatusOk = 0,
        StatusParseError = 5,        // the parser's text is in lastError()
        StatusReferenceEmpty = 6,
        StatusDefinitionEmpty = 7,
        StatusCountMismatch = 9,     // counted definition patches != reference sets
        StatusNoReferenceData = 10,  // unknown read mode, or no Lab, XYZ or spectral columns
    };
    // Modes of loadReferenceFromISO12642.
    enum ReadModeE { ReadCounting = 1, ReadValues = 2 };

    virtual ~TargetIF() = default;

    // Appends this target to the reference data file and the measurement file
    // of a profiling run. Call it once per target in order, with first true for
    // the first and last true for the last target and the same three counters
    // throughout; stop at the first call that returns false or sets badData.
    // sampleCounter is the running sample number; the two positions are where
    // NUMBER_OF_SETS is patched in the two files. The columns the first target
    // wrote are kept for the file pair until the last target (or a failed call)
    // and later targets must match them. False when a file cannot be opened,
    // written or patched, or a later target does not match the run's columns;
    // the caller then removes both files.
    virtual bool saveForProfile(const QString& referencePath, const QString& measurementPath,
                                bool first, bool last, unsigned long& sampleCounter,
                                unsigned long& referenceSetsPos, unsigned long& measurementSetsPos,
                                csContext::Observer observer, csContext::Illuminant illuminant,
                                const QString& illuminantFile, bool& badData,
                                bool useChannelFactors, const Kirr_BezierLut* lut,
                                const Kirr_Spline1* spline, double gamma, double whiteTarget,
                                bool noSpectra) = 0;
    // True when the text contains "BEGIN_DATA".
    virtual bool hasDataBlock(const QString& text) const = 0;
    // ReadCounting: counts the reference sets; ReadValues: stores the reference
    // colours into the patches of the definition read before.
    virtual statusE loadReferenceFromISO12642(const QString& text, unsigned mode) = 0;
    virtual statusE loadDefFromISO12642(const QString& text) = 0;
    // Remaps the reference lightness of every patch that is not ignored.
    virtual void applyLightnessCurve() = 0;

    virtual void setRows(unsigned rows) = 0;
    virtual unsigned rows() const = 0;
    virtual void setColumns(unsigned columns) = 0;
    virtual unsigned columns() const = 0;
    virtual unsigned referenceSetCount() const = 0;
    virtual unsigned controlPatchCount() const = 0;
    // Patch (column, row) = entry column + row x columns; null past the end.
    virtual PatchIF* patch(unsigned column, unsigned row) const = 0;
    // Entry index of the list; null past the end.
    virtual PatchIF* patchAt(unsigned index) const = 0;
    virtual QString lastError() const = 0;

    // Grows the factor array to n (new entries 0, old ones kept); the count
    // becomes n also when it shrinks.
    virtual void setChannelFactorCount(unsigned n) = 0;
    // Ignored when i >= count.
    virtual void setChannelFactor(unsigned i, double v) = 0;
    // Every factor 0, count kept.
    virtual void clearChannelFactors() = 0;
    virtual unsigned channelFactorCount() const = 0;
    // True when n <= count and the first n factors are all > 0.
    virtual bool hasChannelFactors(unsigned n) const = 0;
    // 0 when absent or i >= count.
    virtual double channelFactor(unsigned i) const = 0;
    virtual void setScaleFactor(double factor) = 0;
    virtual void resetScaleFactor() = 0;
    virtual double scaleFactor() const = 0;
};

class Target : public TargetIF {
public:
    Target();
    Target(const Target& other);
    Target& operator=(const Target& other);
    ~Target() override;

    bool saveForProfile(const QString& referencePath, const QString& measurementPath, bool first,
                        bool last, unsigned long& sampleCounter, unsigned long& referenceSetsPos,
                        unsigned long& measurementSetsPos, csContext::Observer observer,
                        csContext::Illuminant illuminant, const QString& illuminantFile,
                        bool& badData, bool useChannelFactors, const Kirr_BezierLut* lut,
                        const Kirr_Spline1* spline, double gamma, double whiteTarget,
                        bool noSpectra) override;
    bool hasDataBlock(const QString& text) const override;
    statusE loadReferenceFromISO12642(const QString& text, unsigned mode) override;
    statusE loadDefFromISO12642(const QString& text) override;
    void applyLightnessCurve() override;

    void setRows(unsigned rows) override;
    unsigned rows() const override;
    void setColumns(unsigned columns) override;
    unsigned columns() const override;
    unsigned referenceSetCount() const override;
    unsigned controlPatchCount() const override;
    PatchIF* patch(unsigned column, unsigned row) const override;
    PatchIF* patchAt(unsigned index) const override;
    QString lastError() const override;

    void setChannelFactorCount(unsigned n) override;
    void setChannelFactor(unsigned i, double v) override;
    void clearChannelFactors() override;
    unsigned channelFactorCount() const override;
    bool hasChannelFactors(unsigned n) const override;
    double channelFactor(unsigned i) const override;
    void setScaleFactor(double factor) override;
    void resetScaleFactor() override;
    double scaleFactor() const override;

    // Number of patches in the list.
    unsigned patchCount() const;
    // False once a definition with all of RGB_R, RGB_G and RGB_B was read.
    bool noRgb() const;
    // Text of the reference read in counting mode (the parser's DESCRIPTOR).
    QString referenceDescription() const;
    // Column prefix of spectral reference columns (e.g. "SPECTRAL_" or "R_");
    // empty: found from the reference's columns.
    void setNamePrefix(const QString& prefix);
    QString namePrefix() const;

private:
    using ReferenceCache = QMap<QString, std::string>;

    QString normalisedReference(const QString& text);

    QString m_namePrefix;
    QString m_lastError;
    QString m_referenceDescription;
    unsigned m_rows = 0;
    unsigned m_columns = 0;
    unsigned m_referenceSetCount = 0;
    unsigned m_controlPatchCount = 0;
    std::vector<std::shared_ptr<PatchIF>> m_patches;
    bool m_noRgb = true;
    std::vector<double> m_channelFactors;
    double m_scaleFactor = 1.0;
    std::shared_ptr<ReferenceCache> m_referenceCache;
};
