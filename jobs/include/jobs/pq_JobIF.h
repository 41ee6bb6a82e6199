// A job: a camera or scanner to profile, its targets with their shots, chart
// images and patch grids, its expert settings and information, and the name
// and folder of the profile to write.
#pragma once

#include "chart/Image.h"

#include <QByteArray>
#include <QObject>
#include <QPixmap>
#include <QSize>
#include <QString>

class Kirr_BezierLut;
class Kirr_ColorCurve;
class Kirr_Spline1;
class PatchGridIF;
class RawImageIF;
class SpectrumArray;
class TargetIF;
class TransferFunction;
struct calculation_settings;
class pq_jobExpertSettingsIF;
class pq_targetInfo;

// The current target in brief, for the job lists.
struct pq_targetSummary
{
    QString vendor;
    QString name;
    int referenceSetCount = 0;
    int columns = 0;
    int rows = 0;
    bool spectral = false;
};

// How the last read of a job file went.
struct pq_JobReadOutcome
{
    enum StatusE {
        NotRead,        // no file was read yet
        ReadWhole,      // every part of the file was read
        CannotOpen,     // the file cannot be opened or read
        NotParsed,      // too large, too deep, with a document type or not
                        // well-formed XML
        NotJob,         // the root element is not "Job"
        NoId,           // Job_ID is missing, repeated or empty
        NoName,         // Job_HumanReadable is missing, repeated or empty
        RepeatedExpertSettings,
        RepeatedJobInfo,
        BadContent,     // a repeated element or a count out of range
    };
    StatusE status = NotRead;
    QString message;

    bool isWhole() const { return status == ReadWhole; }
};

class pq_JobIF : public QObject
{
    Q_OBJECT

public:
    // Results of createProfile.
    enum CreateProfileResultE {
        CreateProfileStarted = 0,         // the run was handed over and started
        CreateProfileFilesNotWritten = 1, // the engine files could not be written
        CreateProfileBadPixels = 2,       // a target reported bad pixel data
        CreateProfileEmptyTarget = 3,     // no patch was written
        CreateProfileNoOutputFolder = 4,  // the output folder is unknown or cannot be made
        CreateProfileRunInProgress = 5,   // a run is still in progress; nothing was written
    };

    pq_JobIF() = default;
    ~pq_JobIF() override = default;

    virtual QString getJobID() const = 0;
    virtual QString getJobName() const = 0;
    virtual void setJobName(const QString &name) = 0;
    virtual pq_targetInfo *currentTargetInfo() const = 0;
    virtual bool isInitiallyDisabled() const = 0;
    virtual void setToneCurveLut(const Kirr_BezierLut &lut) = 0;
    virtual const Kirr_BezierLut *toneCurveLut() const = 0;
    virtual void setToneCurveSpline(const Kirr_Spline1 &spline) = 0;
    virtual const Kirr_Spline1 *toneCurveSpline() const = 0;
    virtual pq_targetSummary currentTargetSummary() const = 0;
    virtual QPixmap targetPixmap(int index) const = 0;
    virtual void readFromXML(const QString &path) = 0;
    virtual QString toQmlXml() const = 0;
    virtual QString toXml() const = 0;
    virtual void setIlluminantSpectrum(const SpectrumArray *spectrum) = 0;
    virtual const SpectrumArray *illuminantSpectrum() const = 0;
    virtual void setTargetIlluminant(const QString &illuminant) = 0;
    virtual QString targetIlluminant() const = 0;
    virtual void resetRuntimeState() = 0;
    virtual bool loadPatchGrid(int mode) = 0;
    virtual void resetPatchGrid() = 0;
    virtual void savePatchGrid(int mode) = 0;
    virtual bool isFilmCurveAvailable(const QString &cameraName) const = 0;
    virtual bool extractFilmCurve(Kirr_ColorCurve &curve, const QString &name) = 0;
    // Writes the engine files of every target and hands one run to the
    // profiling run manager; a CreateProfileResultE. profilePath receives the
    // profile's file name.
    virtual int createProfile(QString &profilePath, bool pcsXyz, int deltaEFormula,
                              int illuminantIndex, const QString &customIlluminantPath,
                              const calculation_settings *settings, bool linearData,
                              const Kirr_BezierLut *toneLut, const Kirr_Spline1 *toneSpline,
                              double gamma, double offset, int gridMode) = 0;
    virtual QString outputFolder() const = 0;
    virtual QString profileName() const = 0;
    virtual void setProfileName(const QString &name) = 0;
    virtual QString profileNamePrefix() const = 0;
    virtual void setProfileNamePrefix(const QString &prefix) = 0;
    virtual QString profileExtension() const = 0;
    virtual void setProfileExtension(const QString &extension) = 0;
    virtual int storedNumber() const = 0;
    virtual void setStoredNumber(int number) = 0;
    virtual bool storedFlag() const = 0;
    virtual void setStoredFlag(bool flag) = 0;
    virtual QString currentTargetFilePath() const = 0;
    virtual bool loadCurrentTarget() = 0;
    virtual bool isChartImageIcc() const = 0;
    virtual bool isChartImageTxt() const = 0;
    virtual bool isDcpChart() const = 0;
    virtual QString chartImageFileName() const = 0;
    virtual QString chartImagePath() const = 0;
    virtual void setChartImagePath(const QString &path) = 0;
    virtual QString auxImageFileName() const = 0;
    virtual QString auxImagePath() const = 0;
    virtual void setAuxImagePath(const QString &path) = 0;
    virtual QString cameraName() const = 0;
    virtual QString cameraMake() const = 0;
    virtual QString cameraModel() const = 0;
    virtual QSize chartImageSize() const = 0;
    virtual QSize chartImageRawSize() const = 0;
    virtual bool areAllChartImagesLoaded() const = 0;
    virtual bool isChartImageLoaded() const = 0;
    virtual bool areAllChartImagesRaw() const = 0;
    virtual bool isChartImageRaw() const = 0;
    virtual const TransferFunction &chartTransferFunction() const = 0;
    virtual ExifExposure chartExposureData() const = 0;
    virtual const QPixmap &chartPixmap() const = 0;
    // The ICC profile embedded in the current chart image; empty without one.
    virtual QByteArray chartImageIccData() const = 0;
    virtual const QPixmap &chartStretchedPixmap() const = 0;
    virtual bool linearizeChartValues(double *values, int count) const = 0;
    virtual const RawImageIF &chartRawImage() const = 0;
    virtual const RawImageIF &c1TifRawImage() const = 0;
    virtual const QPixmap &auxPixmap() const = 0;
    virtual const RawImageIF &auxRawImage() const = 0;
    virtual pq_jobExpertSettingsIF *expertSettings() = 0;
    virtual bool isC1InsteadOfDCP() const = 0;
    virtual TargetIF *currentTarget() = 0;
    virtual PatchGridIF *currentPatchGrid() = 0;
    virtual int loadTargetData(bool transposeReference) = 0;

    // How the last readFromXML went.
    virtual pq_JobReadOutcome lastReadOutcome() const = 0;
    virtual bool isEnabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;

signals:
    void chartImageProgress(double fraction);
    void chartImageLoaded(bool success, QString missingFilmCurve);
    void chartImageLoading(bool loading);
    void chartC1TifProgress(double fraction);
    void chartC1TifLoaded(int code);
};
