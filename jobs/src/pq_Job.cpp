#include "jobs/pq_Job.h"

#include "jobs/pq_templatesFolder.h"
#include "jobs_logging.h"

#include "chart/BoundedFile.h"
#include "chart/Config.h"
#include "chart/ISO12642_Parser.h"
#include "chart/ISO12642_Scanner.h"
#include "colour/Kirr_ColorCurve.h"
#include "colour/Kirr_colorLibrary.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMutexLocker>
#include <QRegularExpression>

#include <utility>

static void initJobResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(jobs);
        return true;
    }();
    (void)registered;
}

namespace {

// Built-in film curves: x on 0..65535, y on 0..255.
const int kCurveAx[13] = {0, 303, 910, 2323, 4356, 8596, 16469, 26879, 34810, 46816, 56775, 62478,
                          65535};
const int kCurveBx[13] = {0, 223, 654, 1506, 2429, 3991, 6729, 10785, 14587, 22206, 32778, 47205,
                          65535};
const int kCurveY[13] = {0, 5, 15, 35, 55, 85, 125, 165, 190, 220, 240, 250, 255};

const QRegularExpression &fileNameUnsafe()
{
    static const QRegularExpression re(QStringLiteral("[\\\\/:*?\"<>|]"));
    return re;
}

template <typename T>
void rearranged(std::vector<T> &entries, const QVector<int> &from)
{
    std::vector<T> out(size_t(from.size()));
    for (int i = 0; i < from.size(); ++i)
        if (from[i] >= 0 && size_t(from[i]) < entries.size())
            std::swap(out[size_t(i)], entries[size_t(from[i])]);
    entries.swap(out);
}

void rearranged(QStringList &entries, const QVector<int> &from)
{
    QStringList out;
    for (int i = 0; i < from.size(); ++i)
        out.append(from[i] >= 0 && from[i] < entries.size() ? entries.at(from[i]) : QString());
    entries = out;
}

bool ensureFolder(const QString &folder)
{
    return !folder.isEmpty() && (QFileInfo(folder).isDir() || QDir().mkpath(folder));
}

}  // namespace

QString buildCameraModelName(const QString &make, const QString &model, QSize fullSize,
                             bool keepDcpNames)
{
    QString name;
    if (!make.isEmpty() && !model.startsWith(make))
        name += make;
    if (!model.isEmpty()) {
        if (!name.isEmpty())
            name += QLatin1Char(' ');
        name += model;
    }
    if (name == QLatin1String("Hasselblad H4D") || name == QLatin1String("Hasselblad H5D"))
        name += qMin(fullSize.width(), fullSize.height()) < 6500 ? QLatin1String("-50")
                                                                 : QLatin1String("-60");
    if (name.startsWith(QLatin1String("Leaf AFi-II 7")))
        name = QStringLiteral("Leaf AFi-II 7");
    else if (name.startsWith(QLatin1String("Leaf Aptus-II 10R")))
        name = QStringLiteral("Leaf Aptus-II 10R");
    name.replace(fileNameUnsafe(), QStringLiteral("_"));
    name.replace(QLatin1String("NIKON CORPORATION NIKON"), QLatin1String("Nikon"));
    name.replace(QLatin1String("Leica Camera AG LEICA"), QLatin1String("Leica"));
    name.replace(QLatin1String("M (Typ 240)"), QLatin1String("M240"));
    name.replace(QLatin1String("Sinar eShutter_ Sinarback"), QLatin1String("Sinarback"));
    name.replace(QLatin1String("SONY"), QLatin1String("Sony"));
    name.replace(QLatin1String("Fujifilm X100"), QLatin1String("Fujifilm FinePix X100"));
    if (keepDcpNames)
        return name;
    name.replace(QLatin1String("Sony NEX-"), QLatin1String("Sony NEX"));
    name.replace(QLatin1String("ILCE-6000"), QLatin1String("A6000"));
    name.replace(QLatin1String("ILCE-7"), QLatin1String("A7"));
    name.replace(QLatin1String("ILCA-77"), QLatin1String("A77"));
    if (name.startsWith(QLatin1String("Canon EOS-1D"))) {
        name.replace(QLatin1String("Canon EOS-1D"), QLatin1String("CanonEOS1D"));
        name.replace(QLatin1String("Mark IV"), QLatin1String("Mk4"));
        name.replace(QLatin1String("Mark III"), QLatin1String("MKIII"));
        name.replace(QLatin1String("Mark II"), QLatin1String("MKII"));
    } else if (name.startsWith(QLatin1String("Canon EOS"))) {
        name.replace(QLatin1String("Mark III"), QLatin1String("Mk3"));
        name.replace(QLatin1String("Mark II"), QLatin1String("Mk2"));
    } else if (name.startsWith(QLatin1String("Canon PowerShot"))) {
        name.replace(QLatin1String("Canon PowerShot"), QLatin1String("Canon"));
        name.replace(QLatin1String("Mark II"), QLatin1String("mkII"));
    }
    return name;
}

QString filmCurveFileBase(const QString &name)
{
    QString base = name;
    base.remove(QLatin1Char(' '));
    base.replace(fileNameUnsafe(), QStringLiteral("_"));
    if (base == QLatin1String(".") || base == QLatin1String(".."))
        return QString();
    return base;
}

pq_Job::pq_Job(const QString &filmCurvesFolder, const QString &tempFolder)
    : m_filmCurvesFolder(filmCurvesFolder), m_tempFolder(tempFolder)
{
    initJobResources();
    initImageLoads();
    appendDefaultEntries();
    for (int i = 0; i < 13; ++i) {
        m_defaultCurveA.addPoint(kCurveAx[i] / 65535.0, kCurveY[i] / 255.0);
        m_defaultCurveB.addPoint(kCurveBx[i] / 65535.0, kCurveY[i] / 255.0);
    }
    m_defaultCurveA.solve(true);
    m_defaultCurveB.solve(true);
}

pq_Job::pq_Job(const QString &filmCurvesFolder, const QString &tempFolder,
               const QString &profileName, const QString &chartImagePath,
               const QString &auxImagePath)
    : m_filmCurvesFolder(filmCurvesFolder), m_tempFolder(tempFolder), m_profileName(profileName)
{
    initJobResources();
    initImageLoads();
    appendDefaultEntries();
    if (!loadCurrentTarget())
        qCDebug(lcJob) << "Error, either targetdefinition or reference data are malformed";
    setChartImagePath(chartImagePath);
    setAuxImagePath(auxImagePath);
}

pq_Job::~pq_Job()
{
    stopImageLoads();
    deleteTargetInfos(m_targetInfos);
}

void pq_Job::appendDefaultEntries()
{
    m_c1TifPaths.append(QString());
    m_chartImagePaths.append(QString());
    m_auxImagePaths.append(QString());
    m_c1TifImages.emplace_back();
    m_chartImages.emplace_back();
    m_auxImages.emplace_back();
    m_targets.emplace_back();
    m_patchGrids.emplace_back();
}

void pq_Job::clearPerTargetState()
{
    m_c1TifPaths.clear();
    m_chartImagePaths.clear();
    m_auxImagePaths.clear();
    m_c1TifImages.clear();
    m_chartImages.clear();
    m_auxImages.clear();
    m_targets.clear();
    m_patchGrids.clear();
}

QString pq_Job::getJobName() const
{
    return m_jobName.isEmpty() ? m_jobId : m_jobName;
}

pq_targetInfo *pq_Job::currentTargetInfo() const
{
    return m_currentTargetIndex < m_targetInfos.size() ? m_targetInfos.at(m_currentTargetIndex)
                                                      : nullptr;
}

void pq_Job::addTargetInfo(pq_targetInfo *description)
{
    m_targetInfos.append(description);
}

bool pq_Job::removeTargetInfo(int index)
{
    if (index < 0 || index >= m_targetInfos.size())
        return false;
    pq_targetInfoList kept;
    QVector<int> from;
    for (int i = 0; i < m_targetInfos.size(); ++i) {
        if (i == index)
            continue;
        kept.append(m_targetInfos.at(i));
        from.append(i);
    }
    delete m_targetInfos.at(index);
    rearrangeTargets(kept, from);
    return true;
}

void pq_Job::setCurrentTargetIndex(int index)
{
    if (index < 0 || index == m_currentTargetIndex)
        return;
    dropPendingChartLoad();
    m_currentTargetIndex = index;
    while (m_chartImagePaths.size() <= index)
        m_chartImagePaths.append(QString());
    while (m_c1TifPaths.size() <= index)
        m_c1TifPaths.append(QString());
    while (m_auxImagePaths.size() <= index)
        m_auxImagePaths.append(QString());
    const size_t needed = size_t(index) + 1;
    if (m_c1TifImages.size() < needed)
        m_c1TifImages.resize(needed);
    if (m_chartImages.size() < needed)
        m_chartImages.resize(needed);
    if (m_auxImages.size() < needed)
        m_auxImages.resize(needed);
    if (m_targets.size() < needed)
        m_targets.resize(needed);
    if (m_patchGrids.size() < needed)
        m_patchGrids.resize(needed);
    resumeDroppedChartLoad();
}

void pq_Job::setToneCurveLut(const Kirr_BezierLut &lut)
{
    m_toneCurveLut = lut;
    m_toneCurveLut.build();
}

void pq_Job::setToneCurveSpline(const Kirr_Spline1 &spline)
{
    m_toneCurveSpline = spline;
    m_toneCurveSpline.solve(true);
}

const Kirr_BezierLut *pq_Job::toneCurveLut() const
{
    if (!areAllChartImagesRaw() || !isC1InsteadOfDCP() || isChartImageIcc() || isChartImageTxt())
        return nullptr;
    return m_toneCurveLut.isEmpty() ? nullptr : &m_toneCurveLut;
}

const Kirr_Spline1 *pq_Job::toneCurveSpline() const
{
    if (!areAllChartImagesRaw() || !isC1InsteadOfDCP() || isChartImageIcc() || isChartImageTxt())
        return nullptr;
    if (!m_toneCurveSpline.isEmpty())
        return &m_toneCurveSpline;
    return m_expertSettings.isC1TypeSixEightOrNine() ? &m_defaultCurveB : &m_defaultCurveA;
}

pq_targetSummary pq_Job::currentTargetSummary() const
{
    pq_targetSummary summary;
    const pq_targetInfo *description = currentTargetInfo();
    if (description) {
        summary.vendor = description->targetVendor;
        summary.name = description->name;
        bool failed = false;
        summary.spectral = description->hasSpectralReference(&failed);
    }
    const Target &target = m_targets[size_t(m_currentTargetIndex)];
    summary.referenceSetCount = int(target.referenceSetCount());
    summary.columns = int(target.columns());
    summary.rows = int(target.rows());
    return summary;
}

QPixmap pq_Job::targetPixmap(int index) const
{
    if (index == -1)
        index = m_currentTargetIndex;
    if (index < 0 || index >= m_targetInfos.size())
        return QPixmap();
    const pq_targetInfo *description = m_targetInfos.at(index);
    QImage picture;
    if (!description->targetFullResFilePath.isEmpty())
        picture = pq_readPicture(description->fullResFilePath(true));
    if (picture.isNull() && !description->targetImage.isEmpty())
        picture = pq_decodePicture(QByteArray::fromBase64(description->targetImage.toLatin1()));
    if (picture.isNull())
        picture = pq_readPicture(QStringLiteral(":/images/missing-target.png"));
    return QPixmap::fromImage(picture);
}

void pq_Job::setIlluminantSpectrum(const SpectrumArray *spectrum)
{
    m_illuminantSpectrum.reset(spectrum ? new SpectrumArray(*spectrum) : nullptr);
}

void pq_Job::takeRuntimeState(pq_Job &other)
{
    if (&other == this)
        return;
    // Index in other of the description matching the one at index, or -1.
    auto match = [&](int index) {
        const pq_targetInfo *wanted = m_targetInfos.at(index);
        int original = -1;
        for (int j = 0; j < other.m_targetInfos.size() && original < 0; ++j)
            if (!other.m_targetInfos.at(j)->isClone && other.m_targetInfos.at(j)->name == wanted->name)
                original = j;
        if (original < 0 || !wanted->isClone)
            return original;
        const int clone = original + 1;
        return clone < other.m_targetInfos.size() && other.m_targetInfos.at(clone)->isClone ? clone
                                                                                           : -1;
    };
    const int count = m_targetInfos.size();
    if (count > 0)
        setCurrentTargetIndex(count - 1);
    int current = 0;
    for (int i = 0; i < count; ++i) {
        const int j = match(i);
        if (j < 0)
            continue;
        if (j == other.m_currentTargetIndex)
            current = i;
        m_targetInfos.at(i)->shots.swap(other.m_targetInfos.at(j)->shots);
        const auto entry = size_t(j);
        auto takeText = [&](QStringList &mine, QStringList &theirs) {
            if (j < theirs.size())
                mine[i] = std::exchange(theirs[j], QString());
        };
        takeText(m_chartImagePaths, other.m_chartImagePaths);
        takeText(m_c1TifPaths, other.m_c1TifPaths);
        takeText(m_auxImagePaths, other.m_auxImagePaths);
        auto take = [&](auto &mine, auto &theirs) {
            if (entry < theirs.size())
                std::swap(mine[size_t(i)], theirs[entry]);
        };
        take(m_chartImages, other.m_chartImages);
        take(m_c1TifImages, other.m_c1TifImages);
        take(m_auxImages, other.m_auxImages);
        take(m_targets, other.m_targets);
        take(m_patchGrids, other.m_patchGrids);
    }
    m_currentTargetIndex = current;
    m_profileName = other.m_profileName;
    m_profileNamePrefix = other.m_profileNamePrefix;
    m_profileExtension = other.m_profileExtension;
    m_makesDcp = other.m_makesDcp;
    m_toneCurveLut = other.m_toneCurveLut;
    m_toneCurveSpline = other.m_toneCurveSpline;
}

void pq_Job::resetRuntimeState()
{
    for (pq_targetInfo *description : qAsConst(m_targetInfos))
        description->clearShots();
    setCurrentTargetIndex(0);
    {
        QMutexLocker lock(&m_chartLoad.mutex);
        m_chartLoad.dropped.clear();
    }
    m_profileName.clear();
    clearPerTargetState();
    appendDefaultEntries();
}

QString pq_Job::patchGridFile() const
{
    QString path;
    patchGridFilePath(chartImagePath(), path);
    return path;
}

bool pq_Job::loadPatchGrid(int mode)
{
    if (chartImagePath().isEmpty())
        return false;
    const QPixmap &preview = chartImage().preview();
    return m_patchGrids[size_t(m_currentTargetIndex)].loadFromFile(
        patchGridFile(), chartImageFileName(), mode, &preview);
}

void pq_Job::savePatchGrid(int mode)
{
    if (chartImagePath().isEmpty())
        return;
    m_patchGrids[size_t(m_currentTargetIndex)].saveToFile(patchGridFile(), chartImageFileName(),
                                                          mode, false);
}

void pq_Job::resetPatchGrid()
{
    PatchGrid &grid = m_patchGrids[size_t(m_currentTargetIndex)];
    grid.clearPlacedFlags();
    grid.resetToImageRect();
    grid.updateControlPoints(-1);
    grid.updateCenter();
}

bool pq_Job::isFilmCurveAvailable(const QString &cameraName) const
{
    if (!ensureFolder(m_filmCurvesFolder))
        return false;
    QString fileName = cameraName;
    fileName.remove(QLatin1Char(' '));
    fileName = (fileName + QLatin1String(".xml")).toUpper();
    const QFileInfoList files = QDir(m_filmCurvesFolder)
                                    .entryInfoList({QStringLiteral("*.xml")},
                                                   QDir::Files | QDir::Readable, QDir::Unsorted);
    for (const QFileInfo &file : files) {
        if (file.fileName().toUpper() != fileName)
            continue;
        const Kirr_ColorCurve curve(file.absoluteFilePath());
        return !curve.isCurveEmpty(0);
    }
    return false;
}

bool pq_Job::extractFilmCurve(Kirr_ColorCurve &curve, const QString &name)
{
    if (!ensureFolder(m_filmCurvesFolder))
        return false;
    const QString base = filmCurveFileBase(name.isEmpty() ? cameraName() : name);
    if (base.isEmpty()) {
        qCDebug(lcJob) << "extractFilmCurve: no usable file name in" << name;
        return false;
    }
    const QString file = base + QLatin1String(".xml");
    QString path = m_filmCurvesFolder + QLatin1Char('/') + file;
    if (QFileInfo::exists(path)) {
        const QString extracted = m_filmCurvesFolder + QLatin1String("/Extracted");
        if (!ensureFolder(extracted))
            return false;
        path = extracted + QLatin1Char('/') + file;
    }
    curve.save(path);
    return QFileInfo::exists(path);
}

QString pq_Job::outputFolder() const
{
    const bool dcp = (areAllChartImagesRaw() && !isC1InsteadOfDCP()) || isDcpChart();
    QString folder = dcp ? Kirr_cameraProfileFolder() : Kirr_makerProfileFolder(2);
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

bool pq_Job::profileExists(const QString &name) const
{
    const QString folder = outputFolder();
    if (folder.isEmpty() || name.isEmpty())
        return false;
    const bool dcp = (areAllChartImagesRaw() && !isC1InsteadOfDCP()) || isDcpChart();
    return QFileInfo::exists(folder + name + (dcp ? QLatin1String(".dcp") : QLatin1String(".icc")));
}

QString pq_Job::currentTargetFilePath() const
{
    const pq_targetInfo *description = currentTargetInfo();
    return description ? description->referenceFile : QString();
}

bool pq_Job::isChartImageIcc() const
{
    return QFileInfo(chartImagePath()).suffix().toLower() == QLatin1String("icc");
}

bool pq_Job::isChartImageTxt() const
{
    return QFileInfo(chartImagePath()).suffix().toLower() == QLatin1String("txt");
}

bool pq_Job::isDcpChart() const
{
    if (!isChartImageTxt())
        return false;
    // Asked for on every look at the output folder: each chart text is parsed
    // once for each state of its file.
    static chart::FileValueCache<bool> dcpCharts(256, 256);
    return dcpCharts.value(chartImagePath(), [](const chart::FileRead &read) {
        if (!read.ok())
            return false;
        QBuffer buffer;
        buffer.setData(read.bytes);
        buffer.open(QIODevice::ReadOnly);
        ISO12642_QFile_Scanner scanner(&buffer);
        ISO12642_Parser parser(&scanner);
        return parser.parse() == 0
            && parser.keywordValue(QStringLiteral("DESCRIPTOR"))
                   .contains(QLatin1String("DCP Profile"));
    });
}

QString pq_Job::chartImageFileName() const
{
    return QFileInfo(chartImagePath()).fileName();
}

QString pq_Job::chartImagePath() const
{
    return m_chartImagePaths.value(m_currentTargetIndex);
}

void pq_Job::setChartImagePath(const QString &path)
{
    m_chartImages[size_t(m_currentTargetIndex)] = Image();
    m_chartImagePaths[m_currentTargetIndex] = path;
    if (path.isEmpty())
        return;
    resetPatchGrid();
    startChartImageLoading();
}

void pq_Job::setC1TifPath(const QString &path)
{
    m_c1TifImages[size_t(m_currentTargetIndex)] = Image();
    m_c1TifPaths[m_currentTargetIndex] = path;
    if (!path.isEmpty())
        startChartC1TifLoading();
}

QString pq_Job::c1TifPath() const
{
    return m_c1TifPaths.value(m_currentTargetIndex);
}

QString pq_Job::auxImageFileName() const
{
    return QFileInfo(auxImagePath()).fileName();
}

QString pq_Job::auxImagePath() const
{
    return m_auxImagePaths.value(m_currentTargetIndex);
}

void pq_Job::setAuxImagePath(const QString &path)
{
    m_auxImagePaths[m_currentTargetIndex] = path;
    if (path.isEmpty())
        return;
    Image &image = m_auxImages[size_t(m_currentTargetIndex)];
    if (image.loadImage(path, false) == Image::imageLoaded)
        image.createPixmapFromRawImage();
}

QString pq_Job::cameraName() const
{
    return buildCameraModelName(cameraMake(), cameraModel(), chartImageSize(), m_makesDcp);
}

QString pq_Job::profileCameraModel() const
{
    const QString own = chartImage().software();
    return own.isEmpty() ? cameraName() : own;
}

QSize pq_Job::chartImageSize() const
{
    const RawImage &raw = chartImage().rawImage();
    return QSize(raw.fullWidth(), raw.fullHeight());
}

QSize pq_Job::chartImageRawSize() const
{
    const RawImage &raw = chartImage().rawImage();
    return QSize(raw.width(), raw.height());
}

bool pq_Job::areAllChartImagesLoaded() const
{
    for (const Image &image : m_chartImages)
        if (image.transferFunction().channelCount() <= 0)
            return false;
    return true;
}

QByteArray pq_Job::chartImageIccData() const
{
    const Image &image = chartImage();
    if (!image.iccBytes() || image.iccLength() <= 0)
        return QByteArray();
    return QByteArray(reinterpret_cast<const char *>(image.iccBytes()), image.iccLength());
}

bool pq_Job::isChartImageLoaded() const
{
    return chartImage().transferFunction().channelCount() > 0;
}

bool pq_Job::areAllChartImagesRaw() const
{
    for (const Image &image : m_chartImages)
        if (!image.isRaw())
            return false;
    return true;
}

const TransferFunction &pq_Job::chartTransferFunction() const
{
    return chartImage().transferFunction();
}

const QPixmap &pq_Job::chartStretchedPixmap() const
{
    return chartImage().stretchedPreview();
}

bool pq_Job::linearizeChartValues(double *values, int count) const
{
    return chartImage().linearize(values, count);
}

const RawImageIF &pq_Job::c1TifRawImage() const
{
    return m_c1TifImages[size_t(m_currentTargetIndex)].rawImage();
}

const QPixmap &pq_Job::auxPixmap() const
{
    return m_auxImages[size_t(m_currentTargetIndex)].preview();
}

const RawImageIF &pq_Job::auxRawImage() const
{
    return m_auxImages[size_t(m_currentTargetIndex)].rawImage();
}

QString pq_Job::currentShotsXml(int currentShot) const
{
    if (m_targetInfos.isEmpty())
        return QString();
    const int index = m_currentTargetIndex < m_targetInfos.size() ? m_currentTargetIndex : 0;
    return m_targetInfos.at(index)->shotsXml(currentShot);
}

bool pq_Job::areAllTargetsSpectral() const
{
    for (const pq_targetInfo *description : m_targetInfos) {
        bool failed = false;
        if (!description->hasSpectralReference(&failed) && !failed)
            return false;
    }
    return true;
}

void pq_Job::initFromFirstTargetInfo()
{
    if (!m_targetInfos.isEmpty() && !loadCurrentTarget())
        qCDebug(lcJob) << "Error, either targetdefinition or reference data are malformed";
}

void pq_Job::rearrangeTargets(const pq_targetInfoList &newList, const QVector<int> &from)
{
    const int oldCurrent = m_currentTargetIndex;
    m_targetInfos = newList;
    rearranged(m_c1TifPaths, from);
    rearranged(m_chartImagePaths, from);
    rearranged(m_auxImagePaths, from);
    rearranged(m_c1TifImages, from);
    rearranged(m_chartImages, from);
    rearranged(m_auxImages, from);
    rearranged(m_targets, from);
    rearranged(m_patchGrids, from);
    m_currentTargetIndex = qMax(0, from.indexOf(oldCurrent));
    {
        QMutexLocker lock(&m_chartLoad.mutex);
        QMap<int, QString> dropped;
        for (int i = 0; i < from.size(); ++i)
            if (m_chartLoad.dropped.contains(from[i]))
                dropped.insert(i, m_chartLoad.dropped.value(from[i]));
        m_chartLoad.dropped = dropped;
        // A running load is for the entry at its new place.
        if (m_chartLoad.worker)
            m_chartLoad.targetIndex = int(from.indexOf(m_chartLoad.targetIndex));
    }
    {
        QMutexLocker lock(&m_c1TifLoad.mutex);
        if (m_c1TifLoad.worker)
            m_c1TifLoad.targetIndex = int(from.indexOf(m_c1TifLoad.targetIndex));
    }
    if (from.isEmpty())
        appendDefaultEntries();
}

void pq_Job::updateTargetClones()
{
    if (m_expertSettings.cameraIlluminantIndex() == 1) {
        addTargetClones();
        return;
    }
    bool anyClone = false;
    for (const pq_targetInfo *description : qAsConst(m_targetInfos))
        anyClone = anyClone || description->isClone;
    if (!anyClone)
        return;
    // The per-target state of a removed clone goes with it; a current clone
    // hands the current index to its original.
    pq_targetInfoList kept;
    QVector<int> from;
    int originalOfCurrent = -1;
    for (int i = 0; i < m_targetInfos.size(); ++i) {
        pq_targetInfo *description = m_targetInfos.at(i);
        if (description->isClone) {
            if (i == m_currentTargetIndex)
                originalOfCurrent = from.isEmpty() ? -1 : from.last();
            delete description;
            continue;
        }
        kept.append(description);
        from.append(i);
    }
    rearrangeTargets(kept, from);
    if (originalOfCurrent >= 0)
        m_currentTargetIndex = from.indexOf(originalOfCurrent);
}

void pq_Job::addTargetClones()
{
    // Each description keeps its own shots and per-target state; a new clone
    // takes over those of the clone it replaces.
    if (m_targetInfos.isEmpty())
        return;
    pq_targetInfoList newList;
    QVector<int> from;
    for (int i = 0; i < m_targetInfos.size(); ++i) {
        pq_targetInfo *original = m_targetInfos.at(i);
        if (original->isClone)
            continue;
        const int oldClone = i + 1 < m_targetInfos.size() && m_targetInfos.at(i + 1)->isClone
            ? i + 1
            : -1;
        auto *clone = new pq_targetInfo;
        clone->assign(*original);
        clone->isClone = true;
        if (oldClone >= 0)
            clone->shots = m_targetInfos.at(oldClone)->shots;
        newList.append(original);
        from.append(i);
        newList.append(clone);
        from.append(oldClone);
    }
    for (pq_targetInfo *description : qAsConst(m_targetInfos))
        if (description->isClone)
            delete description;
    rearrangeTargets(newList, from);
}
