// Profile creation: every target writes its part of the engine's files, the
// run's settings are gathered, and one run goes to the profiling manager.

#include "jobs/pq_Job.h"

#include "jobs/pq_ProfilingThreadMgr.h"
#include "jobs/pq_engineFiles.h"
#include "jobs/pq_targetInfo.h"
#include "profiling_logging.h"

#include "chart/Config.h"
#include "chart/Image.h"
#include "chart/Illuminant.h"
#include "chart/csContext.h"
#include "engine/records.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <memory>
#include <vector>

QString pq_profileKindTag(const pq_JobIF &job)
{
    const bool raw = job.areAllChartImagesRaw();
    const bool dcpChart = job.isDcpChart();
    if (job.areAllChartImagesLoaded() || (raw && job.isC1InsteadOfDCP() && !dcpChart))
        return QStringLiteral("C1");
    const bool dcp = raw ? !job.isC1InsteadOfDCP() || dcpChart : dcpChart;
    return dcp ? QStringLiteral("DCP") : QStringLiteral("ICC");
}

QString pq_Job::profileKindText() const
{
    const QString rawKind = isC1InsteadOfDCP() ? QStringLiteral("C1") : QStringLiteral("DCP");
    if (m_currentTargetIndex >= 0 && size_t(m_currentTargetIndex) < m_chartImages.size()
        && chartImage().rawImage().sampleType() != RawImageIF::NoSamples)
        return pq_profileKindTag(*this);
    // Before a chart image is loaded: the kind of the first shot's file, as
    // the image loader tells raw files from the others.
    for (const pq_targetInfo *target : m_targetInfos) {
        if (!target || target->shots.isEmpty())
            continue;
        const QString suffix = QFileInfo(target->shots.first()).suffix().toLower();
        const bool notRaw = Image::imageExtensions().contains(suffix) || suffix == QLatin1String("icc")
            || suffix == QLatin1String("txt");
        return notRaw ? QStringLiteral("ICC") : rawKind;
    }
    // No shot yet: raw shots make the first kind, all others an ICC profile.
    return rawKind + QStringLiteral(" / ICC");
}

namespace {

constexpr int kRecordedTargets = 64;
constexpr int kCurveLength = 256;

// Restores the job's current target when it goes out of scope.
class CurrentTargetKeeper
{
public:
    explicit CurrentTargetKeeper(pq_Job &job) : m_job(job), m_index(job.currentTargetIndex()) {}
    ~CurrentTargetKeeper() { m_job.setCurrentTargetIndex(m_index); }
    CurrentTargetKeeper(const CurrentTargetKeeper &) = delete;
    CurrentTargetKeeper &operator=(const CurrentTargetKeeper &) = delete;

private:
    pq_Job &m_job;
    int m_index;
};

// The spectrum of an illuminant file sampled over its own range; null when
// the file does not load or its range is empty, backwards or too long.
std::unique_ptr<SpectrumArray> customIlluminantSpectrum(const QString &path)
{
    std::unique_ptr<IlluminantIF> illuminant(illuminantNew());
    QString message;
    if (illuminant->loadFromFile(path, message) != IlluminantIF::LoadOk) {
        qCDebug(lcJobProfile) << "createProfile: illuminant" << path << "not used:" << message;
        return nullptr;
    }
    int start = 0, end = 0, step = 0;
    illuminant->range(&start, &end, &step);
    if (start <= 0 || end <= 0 || step <= 0 || end < start
        || (end - start) / step + 1 > int(csContext::MaxRangeCount)) {
        qCDebug(lcJobProfile) << "createProfile: illuminant" << path << "has the range" << start
                              << end << step;
        return nullptr;
    }
    const int count = (end - start) / step + 1;
    std::vector<float> values(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k)
        values[size_t(k)] = float(illuminant->value(k));
    return std::make_unique<SpectrumArray>(values.data(), unsigned(count), unsigned(start),
                                           unsigned(step));
}

// The run's transfer curve: the inverted tone spline as 256 16-bit values;
// null when there is no spline.
std::unique_ptr<TransferFunction> toneTransferCurve(const Kirr_Spline1 *toneSpline)
{
    if (!toneSpline || toneSpline->isEmpty())
        return nullptr;
    Kirr_Spline1 inverted = toneSpline->inverted();
    if (inverted.isEmpty())
        return nullptr;
    inverted.solve(true);
    Kirr_BezierLut lut;
    for (int i = 0; i < inverted.pointCount(); ++i)
        lut.addPoint(inverted.x(i) * 100.0, inverted.y(i) * 100.0);
    lut.setLutSize(kCurveLength);
    lut.setOutputMaximum(65535);
    lut.build();
    const QVector<qint32> &table = lut.lut();
    if (table.size() != kCurveLength)
        return nullptr;
    std::vector<quint16> values(static_cast<size_t>(kCurveLength));
    for (int k = 0; k < kCurveLength; ++k)
        values[size_t(k)] = quint16(std::clamp<qint32>(table.at(k), 0, 65535));
    return std::make_unique<TransferFunction>(kCurveLength, values.data());
}

bool ensureFolder(const QString &folder)
{
    return !folder.isEmpty() && (QFileInfo(folder).isDir() || QDir().mkpath(folder))
        && QFileInfo(folder).isDir();
}

}  // namespace

QString pq_Job::profileFileName(const QString &name, const QString &extension, int index,
                                bool numbered)
{
    QString fileName = name;
    if (numbered)
        fileName += QLatin1Char('_') + QString::number(index + 1);
    return fileName + QLatin1Char('.') + extension;
}

bool pq_Job::engineFilePaths(const QString &profilePath, QString &cieOut, QString &pixOut)
{
    cieOut.clear();
    pixOut.clear();
    const QString folder = ConfigIF::instance()->tmpPath();
    if (!ensureFolder(folder))
        return false;
    const QString base = folder + QLatin1Char('/') + pq_engineFileBase(profilePath);
    cieOut = base + QLatin1String(".cie");
    pixOut = base + QLatin1String(".pix");
    return true;
}

int pq_Job::createProfile(QString &profilePath, bool pcsXyz, int deltaEFormula,
                          int illuminantIndex, const QString &customIlluminantPath,
                          const calculation_settings *settings, bool linearData,
                          const Kirr_BezierLut *toneLut, const Kirr_Spline1 *toneSpline,
                          double gamma, double offset, int gridMode)
{
    profilePath = profileFileName(m_profileName, m_profileExtension, 0, false);
    pq_ProfilingThreadMgr *manager = pq_ProfilingThreadMgr::instance();
    // A run in progress reads the files this job would overwrite.
    if (manager->isRunning()) {
        qCDebug(lcJobProfile) << "createProfile: a run is still in progress";
        return CreateProfileRunInProgress;
    }
    setIlluminantSpectrum(nullptr);
    const CurrentTargetKeeper keeper(*this);
    if (!manager->init(1))
        return CreateProfileRunInProgress;

    if (!pq_isPlainFileName(profilePath)) {
        qCDebug(lcJobProfile) << "createProfile: no file name:" << profilePath;
        return CreateProfileFilesNotWritten;
    }
    QString referencePath;
    QString devicePath;
    if (!engineFilePaths(profilePath, referencePath, devicePath)) {
        qCDebug(lcJobProfile) << "createProfile: no temporary folder"
                              << ConfigIF::instance()->tmpPath();
        return CreateProfileFilesNotWritten;
    }
    auto discardEngineFiles = [&] {
        QFile::remove(referencePath);
        QFile::remove(devicePath);
    };

    target_offsets offsets{};
    bool nonSpectral = false;
    for (const pq_targetInfo *description : qAsConst(m_targetInfos)) {
        bool failed = false;
        if (!description->hasSpectralReference(&failed)) {
            nonSpectral = true;
            break;
        }
    }
    const bool observer10 = settings && settings->word1 == 1;
    unsigned long patchCount = 0;
    unsigned long referenceSetsPos = 0;
    unsigned long measurementSetsPos = 0;
    bool ok = true;
    bool badPixels = false;
    const int targetCount = m_targetInfos.size();
    for (int i = 0; i < targetCount; ++i) {
        setCurrentTargetIndex(i);
        if (i < kRecordedTargets) {
            offsets.rows[1][i] = int32_t(patchCount);
            ++offsets.count;
        }
        const csContext::Observer observer =
            !nonSpectral && observer10 ? csContext::CIE1964_10 : csContext::CIE1931_2;
        const csContext::Illuminant illuminant =
            nonSpectral ? csContext::D50 : csContext::Illuminant(illuminantIndex);
        ok = m_targets[size_t(i)].saveForProfile(
            referencePath, devicePath, i == 0, i == targetCount - 1, patchCount,
            referenceSetsPos, measurementSetsPos, observer, illuminant, customIlluminantPath,
            badPixels, linearData, toneLut, toneSpline, gamma, offset, nonSpectral);
        if (!ok || badPixels)
            break;
    }
    // A target without patches is empty rather than bad.
    const int written = !ok ? CreateProfileFilesNotWritten
        : patchCount == 0   ? CreateProfileEmptyTarget
        : badPixels         ? CreateProfileBadPixels
                            : CreateProfileStarted;
    if (written != CreateProfileStarted) {
        discardEngineFiles();
        return written;
    }

    const QString folder = outputFolder();
    if (!ensureFolder(folder)) {
        qCDebug(lcJobProfile) << "createProfile: no output folder" << folder;
        discardEngineFiles();
        return CreateProfileNoOutputFolder;
    }
    QString outputFolderPath = shortPathName(QDir::toNativeSeparators(folder));
    if (outputFolderPath.isEmpty()) {
        discardEngineFiles();
        return CreateProfileNoOutputFolder;
    }
    if (!outputFolderPath.endsWith(QDir::separator()))
        outputFolderPath += QDir::separator();
    const QString outputPath = outputFolderPath + profilePath;

    std::unique_ptr<SpectrumArray> spectrum;
    if (illuminantIndex != 0) {
        const csContext context(csContext::Illuminant(illuminantIndex),
                                observer10 ? csContext::CIE1964_10 : csContext::CIE1931_2);
        if (context.illuminantSpectrum())
            spectrum = std::make_unique<SpectrumArray>(*context.illuminantSpectrum());
    } else if (!customIlluminantPath.isEmpty()) {
        spectrum = customIlluminantSpectrum(customIlluminantPath);
    }
    setIlluminantSpectrum(spectrum.get());

    const std::unique_ptr<TransferFunction> toneCurve = toneTransferCurve(toneSpline);
    const TransferFunctionIF &transfer = toneCurve ? *toneCurve : chartTransferFunction();

    const pq_targetInfo *last = currentTargetInfo();
    const bool queued = manager->setJob(
        0, QFile::encodeName(referencePath).constData(),
        QFile::encodeName(devicePath).constData(), QFile::encodeName(outputPath).constData(),
        last && last->isTransmissive, last && last->isNegative, m_engineOptionA, m_engineOptionB,
        pcsXyz, m_makesDcp, false, deltaEFormula, profileCameraModel().toUtf8().constData(),
        spectrum.get(), nullptr, &transfer, &offsets, settings,
        QFile::encodeName(ConfigIF::instance()->tmpPath()).constData());
    if (!queued) {
        setIlluminantSpectrum(nullptr);
        discardEngineFiles();
        return CreateProfileRunInProgress;
    }
    savePatchGrid(gridMode);
    manager->start();
    return CreateProfileStarted;
}
