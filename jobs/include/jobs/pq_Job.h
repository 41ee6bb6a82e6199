// The job: see pq_JobIF. Its chart image and Capture One TIFF are loaded on
// worker threads (pq_JobLoading.cpp).
#pragma once

#include "jobs/pq_JobIF.h"
#include "jobs/pq_JobLoading.h"
#include "jobs/pq_jobExpertSettings.h"
#include "jobs/pq_jobInfo.h"
#include "jobs/pq_targetInfoList.h"

#include "chart/Image.h"
#include "chart/PatchGrid.h"
#include "chart/SpectrumArray.h"
#include "chart/Target.h"
#include "colour/Kirr_BezierLut.h"
#include "colour/Kirr_Spline1.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDomDocument>
#include <QStringList>

#include <memory>
#include <vector>

class pq_Job : public pq_JobIF
{
    Q_OBJECT

public:
    pq_Job(const QString &filmCurvesFolder, const QString &tempFolder);
    pq_Job(const QString &filmCurvesFolder, const QString &tempFolder, const QString &profileName,
           const QString &chartImagePath, const QString &auxImagePath);
    ~pq_Job() override;

    QString getJobID() const override { return m_jobId; }
    QString getJobName() const override;
    void setJobName(const QString &name) override { m_jobName = name; }
    pq_targetInfo *currentTargetInfo() const override;
    bool isInitiallyDisabled() const override { return m_initiallyDisabled; }
    void setToneCurveLut(const Kirr_BezierLut &lut) override;
    const Kirr_BezierLut *toneCurveLut() const override;
    void setToneCurveSpline(const Kirr_Spline1 &spline) override;
    const Kirr_Spline1 *toneCurveSpline() const override;
    pq_targetSummary currentTargetSummary() const override;
    QPixmap targetPixmap(int index) const override;
    void readFromXML(const QString &path) override;
    QString toQmlXml() const override;
    // The kind of profile the job makes, for its "PROFILE TYPE": the tag of
    // pq_profileKindTag once a chart image is loaded; before, the kind of its
    // first shot's file; with no shot, "DCP / ICC" (or "C1 / ICC" in the
    // film-curve workflow): raw shots make the first, other shots the second.
    QString profileKindText() const;
    QString toXml() const override;
    void setIlluminantSpectrum(const SpectrumArray *spectrum) override;
    const SpectrumArray *illuminantSpectrum() const override { return m_illuminantSpectrum.get(); }
    void setTargetIlluminant(const QString &illuminant) override { m_targetIlluminant = illuminant; }
    QString targetIlluminant() const override { return m_targetIlluminant; }
    void resetRuntimeState() override;
    bool loadPatchGrid(int mode) override;
    void resetPatchGrid() override;
    void savePatchGrid(int mode) override;
    bool isFilmCurveAvailable(const QString &cameraName) const override;
    bool extractFilmCurve(Kirr_ColorCurve &curve, const QString &name) override;
    int createProfile(QString &profilePath, bool pcsXyz, int deltaEFormula, int illuminantIndex,
                      const QString &customIlluminantPath, const calculation_settings *settings,
                      bool linearData, const Kirr_BezierLut *toneLut,
                      const Kirr_Spline1 *toneSpline, double gamma, double offset,
                      int gridMode) override;
    QString outputFolder() const override;
    QString profileName() const override { return m_profileName; }
    void setProfileName(const QString &name) override { m_profileName = name; }
    QString profileNamePrefix() const override { return m_profileNamePrefix; }
    void setProfileNamePrefix(const QString &prefix) override { m_profileNamePrefix = prefix; }
    QString profileExtension() const override { return m_profileExtension; }
    void setProfileExtension(const QString &extension) override { m_profileExtension = extension; }
    int storedNumber() const override { return m_storedNumber; }
    void setStoredNumber(int number) override { m_storedNumber = number; }
    bool storedFlag() const override { return m_storedFlag; }
    void setStoredFlag(bool flag) override { m_storedFlag = flag; }
    QString currentTargetFilePath() const override;
    bool loadCurrentTarget() override;
    bool isChartImageIcc() const override;
    bool isChartImageTxt() const override;
    bool isDcpChart() const override;
    QString chartImageFileName() const override;
    QString chartImagePath() const override;
    void setChartImagePath(const QString &path) override;
    QString auxImageFileName() const override;
    QString auxImagePath() const override;
    void setAuxImagePath(const QString &path) override;
    QString cameraName() const override;
    QString cameraMake() const override { return chartImage().make(); }
    QString cameraModel() const override { return chartImage().model(); }
    QSize chartImageSize() const override;
    QSize chartImageRawSize() const override;
    bool areAllChartImagesLoaded() const override;
    bool isChartImageLoaded() const override;
    bool areAllChartImagesRaw() const override;
    bool isChartImageRaw() const override { return chartImage().isRaw(); }
    const TransferFunction &chartTransferFunction() const override;
    ExifExposure chartExposureData() const override { return chartImage().exifExposure(); }
    const QPixmap &chartPixmap() const override { return chartImage().preview(); }
    QByteArray chartImageIccData() const override;
    const QPixmap &chartStretchedPixmap() const override;
    bool linearizeChartValues(double *values, int count) const override;
    const RawImageIF &chartRawImage() const override { return chartImage().rawImage(); }
    const RawImageIF &c1TifRawImage() const override;
    const QPixmap &auxPixmap() const override;
    const RawImageIF &auxRawImage() const override;
    pq_jobExpertSettingsIF *expertSettings() override { return &m_expertSettings; }
    bool isC1InsteadOfDCP() const override { return m_c1InsteadOfDCP; }
    TargetIF *currentTarget() override { return &m_targets[size_t(m_currentTargetIndex)]; }
    PatchGridIF *currentPatchGrid() override { return &m_patchGrids[size_t(m_currentTargetIndex)]; }
    int loadTargetData(bool transposeReference) override;
    pq_JobReadOutcome lastReadOutcome() const override { return m_lastRead; }
    bool isEnabled() const override { return m_enabled; }
    void setEnabled(bool enabled) override { m_enabled = enabled; }

    // Fills the job from the bytes of a job file; path names the file (its
    // base name becomes the job name) and is kept as the job file path.
    void readFromBytes(const QByteArray &bytes, const QString &path);
    // The same from a document that pq_JobFileReader::parse made of the file.
    void readFromDocument(const QDomDocument &document, const pq_JobReadOutcome &parsed,
                          const QString &path);

    // Moves what the user did in other (shots, chart and Capture One paths and
    // images, measured targets, grids, the current target and the profile
    // name) into this job, target by target of the same name and clone flag;
    // other keeps default entries. Used when a job is read anew from its file.
    void takeRuntimeState(pq_Job &other);

    int currentTargetIndex() const { return m_currentTargetIndex; }
    // A negative index changes nothing.
    void setCurrentTargetIndex(int index);
    void updateTargetClones();
    void setC1TifPath(const QString &path);
    QString c1TifPath() const;
    // Empty the holder of a load; nothing while a worker loads into it.
    void resetChartImageHolder();
    void resetC1TifHolder();
    QString expertSetName() const { return m_expertSetName; }
    void setExpertSetName(const QString &name) { m_expertSetName = name; }
    void setC1InsteadOfDCP(bool c1) { m_c1InsteadOfDCP = c1; }
    void setInitiallyDisabled(bool disabled) { m_initiallyDisabled = disabled; }
    void setJobId(const QString &id) { m_jobId = id; }
    QString jobFilePath() const { return m_jobFilePath; }
    bool profileExists(const QString &name) const;
    bool areAllTargetsSpectral() const;
    QString currentShotsXml(int currentShot) const;
    QString profileCameraModel() const;
    void initFromFirstTargetInfo();

    // name, then "_" and index + 1 when numbered, then "." and extension.
    static QString profileFileName(const QString &name, const QString &extension, int index,
                                   bool numbered);
    // The engine's reference (".cie") and device (".pix") files of a profile
    // file name in the temporary folder, which is made when missing. False,
    // both paths empty, when it cannot be made.
    static bool engineFilePaths(const QString &profilePath, QString &cieOut, QString &pixOut);

    pq_jobExpertSettings &jobExpertSettings() { return m_expertSettings; }
    const pq_jobExpertSettings &jobExpertSettings() const { return m_expertSettings; }
    pq_jobInfo &jobInfo() { return m_jobInfo; }
    const pq_jobInfo &jobInfo() const { return m_jobInfo; }
    // The descriptions; the job owns them.
    const pq_targetInfoList &targetInfos() const { return m_targetInfos; }
    // Appends a description; the job takes ownership.
    void addTargetInfo(pq_targetInfo *description);
    // Deletes the description at index; the per-target state of the others
    // stays with them. False when there is none at index.
    bool removeTargetInfo(int index);

    // Reorders a CGATS data block stored column by column ("TRR": from the
    // right, "TLR": from the left) with the current description's grid.
    bool reorderDataBlock(QString &text, const QString &fieldOrder) const;
    // The same for a given grid. False, the text unchanged, unless the block
    // is whole and rows x columns equals the patch count.
    static bool reorderDataBlock(QString &text, const QString &fieldOrder, int rows, int columns,
                                 int patches);
    // Unwraps lines quoted as a whole whose inner quotes are all doubled, and
    // drops empty lines.
    static void cleanQuotedLines(QString &text);

public slots:
    void startChartC1TifLoading();
    void catchChartC1TifProgress(double progressFraction);
    void catchChartC1TifLoaded(bool success);
    void catchLoadC1TifWorkerFinished();
    void startChartImageLoading();
    void catchChartImageProgress(double progressFraction);
    void catchChartImageLoaded(bool success);
    void catchLoadChartWorkerFinished();

private:
    const Image &chartImage() const { return m_chartImages[size_t(m_currentTargetIndex)]; }
    void appendDefaultEntries();
    void clearPerTargetState();
    void addTargetClones();
    // Replaces the descriptions by newList; entry i of the per-target state
    // becomes old entry from[i] (a default entry when from[i] is -1).
    void rearrangeTargets(const pq_targetInfoList &newList, const QVector<int> &from);
    void takeTargetDescriptions(const pq_targetInfoList &read);
    QString patchGridFile() const;
    bool readJob(const QDomDocument &document, QStringList *problems,
                 pq_JobReadOutcome::StatusE *status);
    // Image loads (pq_JobLoading.cpp).
    void initImageLoads();
    void stopImageLoads();
    void stopImageLoad(pq_ImageLoad &load);
    bool startImageLoad(pq_ImageLoad &load, const QString &path, const char *progressSlot,
                        const char *loadedSlot, const char *finishedSlot);
    bool endImageLoad(pq_ImageLoad &load);
    bool isCurrentLoad(const pq_ImageLoad &load, const QString &currentPath) const;
    QString takeOverChartImage();
    void dropPendingChartLoad();
    void resumeDroppedChartLoad();
    int takeOverC1Tif();

    QString m_filmCurvesFolder;
    QString m_tempFolder;
    QString m_profileName;
    QString m_profileNamePrefix;
    QString m_profileExtension = QStringLiteral("icc");
    int m_storedNumber = 0;
    bool m_storedFlag = false;
    QString m_jobFilePath;
    QString m_jobId;
    QString m_jobName;
    bool m_initiallyDisabled = false;
    pq_targetInfoList m_targetInfos;
    pq_jobInfo m_jobInfo;
    pq_jobExpertSettings m_expertSettings;
    std::unique_ptr<SpectrumArray> m_illuminantSpectrum;
    QString m_targetIlluminant = QStringLiteral("D50");
    bool m_enabled = true;
    int m_currentTargetIndex = 0;
    QString m_expertSetName;
    bool m_c1InsteadOfDCP = false;
    pq_JobReadOutcome m_lastRead;

    QStringList m_c1TifPaths;
    QStringList m_chartImagePaths;
    QStringList m_auxImagePaths;
    std::vector<Image> m_c1TifImages;
    std::vector<Image> m_chartImages;
    std::vector<Image> m_auxImages;
    std::vector<Target> m_targets;
    std::vector<PatchGrid> m_patchGrids;

    bool m_engineOptionA = false;
    bool m_engineOptionB = false;
    bool m_makesDcp = false;
    Kirr_BezierLut m_toneCurveLut;
    Kirr_Spline1 m_toneCurveSpline;
    Kirr_Spline1 m_defaultCurveA;
    Kirr_Spline1 m_defaultCurveB;

    pq_ImageLoad m_c1TifLoad;
    pq_ImageLoad m_chartLoad;
};

// The camera model name of a make, a model and the image's full size.
QString buildCameraModelName(const QString &make, const QString &model, QSize fullSize,
                             bool keepDcpNames);
// A film-curve name as a file name: blanks removed and the characters a file
// name cannot hold replaced by "_"; empty when nothing usable remains.
QString filmCurveFileBase(const QString &name);
