#include "items/CppImageWidget.h"

#include "ItemsLogging.h"
#include "settings/pq_Settings.h"
#include "chart/Patch.h"
#include "chart/PatchGrid.h"
#include "chart/Target.h"
#include "colour/Kirr_ColorProfileIF.h"
#include "colour/Kirr_colorLibrary.h"
#include "colour/Kirr_illuminantTemperature.h"
#include "engine/chart_finder.h"
#include "engine/records.h"
#include "items/pq_ItemHost.h"
#include "jobs/pq_targetInfo.h"
#include "jobs/pq_Job.h"
#include "jobs/pq_JobIF.h"
#include "jobs/pq_ProfilingThreadMgrIF.h"
#include "jobs/pq_jobExpertSettingsIF.h"
#include "jobs/pq_targetInfo.h"
#include "platform/program_folders.h"
#include "widgets/pq_DeltaEHistogram.h"
#include "widgets/pq_ImagePatchGridWidget.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QQmlPropertyMap>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

CppImageWidget::FinderProbe g_finderProbe = nullptr;

QPolygonF reflected(const QPolygonF& corners)
{
    QPolygonF out(4);
    for (int i = 0; i < 4; ++i)
        out[3 - i] = QPointF(1.0 - corners[i].x(), 1.0 - corners[i].y());
    return out;
}

}  // namespace

void CppImageWidget::setFinderProbe(FinderProbe probe) { g_finderProbe = probe; }

CppImageWidget::CppImageWidget(QQuickItem* parent) : QQuickPaintedItem(parent)
{
    setAcceptedMouseButtons(Qt::AllButtons);
    setAcceptHoverEvents(true);
    setFlag(QQuickItem::ItemAcceptsInputMethod, true);
    pq_ProfilingThreadMgrIF* manager = pq_ProfilingThreadMgrIF::instance();
    connect(manager, &pq_ProfilingThreadMgrIF::signalProfileCreationAborted, this,
            &CppImageWidget::catchProfileCreationAborted);
    connect(manager, &pq_ProfilingThreadMgrIF::signalProfileCreationDone, this,
            &CppImageWidget::catchProfileCreationDone);
    connect(manager, &pq_ProfilingThreadMgrIF::signalProfileCreationError, this,
            &CppImageWidget::catchProfileCreationError);
    connect(manager, &pq_ProfilingThreadMgrIF::signalProfileCreationProgress, this,
            &CppImageWidget::catchProfileCreationProgress);
    connect(this, &CppImageWidget::signalMouseReleased, this, &CppImageWidget::catchMouseReleased);
    pq_ItemHost::instance()->registerImageItem(this, this);
}

CppImageWidget::~CppImageWidget()
{
    pq_ItemHost::instance()->registerImageItem(nullptr, this);
    disconnectJob();
}

bool CppImageWidget::deltaEIsGood() const
{
    return m_statistics && pq_Settings::instance()->overallDeltaEThreshold() >= m_medianDeltaE;
}

void CppImageWidget::setShot(const QString& url)
{
    setLoadingShot(false);
    m_shot = url;
    m_shotList.append(url);
    const QUrl u(url);
    const QString path = u.isLocalFile() ? u.toLocalFile() : url;
    if (m_job)
        m_job->setChartImagePath(path);
}

void CppImageWidget::setAction(const QString& command)
{
    qCDebug(lcItems) << "Called setAction:" << command;
    m_action = command;
    if (command == QLatin1String("zoomIn")) {
        if (m_engine)
            m_engine->setIncZoom();
    } else if (command == QLatin1String("zoomOut")) {
        if (m_engine)
            m_engine->setDecZoom();
    } else if (command == QLatin1String("rotateCCW")) {
        rotateCCW();
    } else if (command == QLatin1String("rotateCW")) {
        rotateCW();
    } else if (command == QLatin1String("togglePicker")) {
        pq_ItemHost::instance()->toggleColorPicker(false);
    } else if (command == QLatin1String("startProfiling")) {
        startProfiling();
    } else if (command == QLatin1String("cancelProfiling")) {
        cancelProfiling();
    }
}

void CppImageWidget::setGreenDeltaChecked(bool checked)
{
    m_greenDelta = checked;
    emit signalGreenDeltaChecked(checked);
    qCDebug(lcItems) << "green delta toggled to: " << checked;
}

void CppImageWidget::setYellowDeltaChecked(bool checked)
{
    m_yellowDelta = checked;
    emit signalYellowDeltaChecked(checked);
    qCDebug(lcItems) << "yellow delta toggled to: " << checked;
}

void CppImageWidget::setRedDeltaChecked(bool checked)
{
    m_redDelta = checked;
    emit signalRedDeltaChecked(checked);
    qCDebug(lcItems) << "red delta toggled to: " << checked;
}

// The engine turns every rating class on with a new limit: the user's choice
// is set again so the overlay matches the check boxes.
void CppImageWidget::reapplyDeltaFlags()
{
    if (!m_engine)
        return;
    m_engine->setGreenDeltaColorsEnabled(m_greenDelta);
    m_engine->setYellowDeltaColorsEnabled(m_yellowDelta);
    m_engine->setRedDeltaColorsEnabled(m_redDelta);
}

void CppImageWidget::setLimitForShow(double t, double value)
{
    if (!m_engine)
        return;
    double limit = t;
    if (value <= 0)
        limit = t - 0.05;
    else if (value >= 1)
        limit = t + 0.05;
    m_engine->setDeltaColorsLimitForShow(limit);
    reapplyDeltaFlags();
}

void CppImageWidget::qaSliderChanged(double value)
{
    qCDebug(lcItems) << "qaSliderChanged=" << value;
    m_qaSliderValue = value;
    const double t = m_statistics ? m_statistics->percentile(value) : 0.0;
    setLimitForShow(t, value);
    m_deltaEValue = m_statistics ? QString::number(t, 'f', 1) : QString();
    emit signalDeltaEChanged();
}

void CppImageWidget::disconnectJob()
{
    if (!m_job)
        return;
    disconnect(m_job, &pq_JobIF::chartImageLoaded, this, &CppImageWidget::catchImageLoaded);
    disconnect(m_job, &pq_JobIF::chartC1TifLoaded, this, &CppImageWidget::catchC1TifLoaded);
    m_job = nullptr;
}

void CppImageWidget::setJobByName(const QString& name)
{
    qCDebug(lcItems) << "setJobByName:" << name;
    pq_ItemHost* host = pq_ItemHost::instance();
    if (m_job && !name.isEmpty() && m_job->getJobName() == name) {
        qCDebug(lcItems) << "already connected";
        return;
    }
    if (m_job)
        qCDebug(lcItems) << "disconnect";
    // No stale job survives: an empty or unknown name leaves the item and its
    // engine without one.
    disconnectJob();
    pq_JobIF* job = host->findJobByName(name);
    if (!job) {
        if (m_engine)
            m_engine->setJob(nullptr);
        return;
    }
    qCDebug(lcItems) << "found";
    m_job = job;
    connect(m_job, &pq_JobIF::chartImageLoaded, this, &CppImageWidget::catchImageLoaded);
    connect(m_job, &pq_JobIF::chartC1TifLoaded, this, &CppImageWidget::catchC1TifLoaded);
    // A job deleted under the item takes the item's pointer with it.
    connect(m_job, &QObject::destroyed, this, [this](QObject* gone) {
        if (gone == m_job) {
            m_job = nullptr;
            if (m_engine)
                m_engine->setJob(nullptr);
        }
    });
    qCDebug(lcItems) << "initializeWidget";
    initializeWidget();
    qCDebug(lcItems) << "done";
}

void CppImageWidget::initializeWidget()
{
    m_engine = std::make_unique<pq_ImagePatchGridWidget>();
    pq_ImagePatchGridWidget* engine = m_engine.get();
    engine->setRepaintTarget(this);
    engine->setSize(size());
    connect(engine, &QckWidget::repaintRequested, this, [this] { polish(); });
    QString rgb = QDir(Kirr_systemColorFolder()).filePath(QStringLiteral("VerIvuvEZA.icc"));
    if (!QFileInfo::exists(rgb)) {
        // A fresh colour folder has no sRGB profile yet; without it (and
        // without a display profile) the chart and the swatches would show
        // the camera's raw values.
        if (!QFileInfo::exists(Kirr_sRGBProfilePath()) && !Kirr_ensureStandardProfiles())
            qCWarning(lcItems) << "the standard profiles cannot be written to" << Kirr_systemColorFolder();
        rgb = Kirr_sRGBProfilePath();
    }
    engine->setDefaultRGBProfilePath(rgb);
    engine->setGridMovable(true);
    engine->setImageMovable(true);
    engine->setMeasurementEnabled(true);
    engine->setJob(m_job);
    connect(this, &CppImageWidget::signalGreenDeltaChecked, engine,
            &pq_ImagePatchGridWidget::setGreenDeltaColorsEnabled);
    connect(this, &CppImageWidget::signalYellowDeltaChecked, engine,
            &pq_ImagePatchGridWidget::setYellowDeltaColorsEnabled);
    connect(this, &CppImageWidget::signalRedDeltaChecked, engine,
            &pq_ImagePatchGridWidget::setRedDeltaColorsEnabled);
    // Queued: the engine may measure while it paints.
    connect(engine, &pq_ImagePatchGridWidget::filmCurveRefused, this,
            &CppImageWidget::catchFilmCurveRefused, Qt::QueuedConnection);
    if (QObject* receiver = pq_ItemHost::instance()->reportReceiver()) {
        const QMetaObject* meta = receiver->metaObject();
        const char* patchInfo =
            "catchPatchInfo(bool,int,int,bool,QColor,QColor,double,double,double,double,double,"
            "double,double,double,double,double,double,double,double,double,double,double,"
            "double,double)";
        if (meta->indexOfSlot(patchInfo) >= 0)
            connect(engine,
                    SIGNAL(patchInfo(bool,int,int,bool,QColor,QColor,double,double,double,double,
                                     double,double,double,double,double,double,double,double,
                                     double,double,double,double,double,double)),
                    receiver,
                    SLOT(catchPatchInfo(bool,int,int,bool,QColor,QColor,double,double,double,
                                        double,double,double,double,double,double,double,double,
                                        double,double,double,double,double,double,double)));
        if (meta->indexOfSlot("catchColorPicker(int,int)") >= 0)
            connect(engine, SIGNAL(pickerInfo(int,int)), receiver,
                    SLOT(catchColorPicker(int,int)));
    }
    update();
}

void CppImageWidget::refreshImage(int lightSource)
{
    if (!m_job || !m_engine)
        return;
    m_engine->setTemperature(Kirr_illuminantTemperature(lightSource));
    m_engine->setPixmap(&m_job->chartPixmap(), &m_job->chartRawImage(),
                        &m_job->chartStretchedPixmap());
    polish();
    update();
}

void CppImageWidget::selectShot(const QString& shot, const QString& lightSource)
{
    m_shot = shot;
    if (m_engine && m_shotRotations.contains(shot))
        m_engine->setRotationAngle(m_shotRotations.value(shot));
    // Another shot of the target than the one loaded is loaded first (a
    // load still running is cancelled); its picture shows once it is in.
    const QUrl url(shot);
    const QString path = url.isLocalFile() ? url.toLocalFile() : shot;
    if (m_job && !path.isEmpty() && path != m_job->chartImagePath()) {
        if (!m_shotList.contains(shot))
            m_shotList.append(shot);
        m_chosenShotLight = lightSource.toInt();
        setLoadingShot(true);
        m_job->setChartImagePath(path);
        return;
    }
    setLoadingShot(false);
    refreshImage(lightSource.toInt());
}

void CppImageWidget::setLoadingShot(bool loading)
{
    if (m_loadingChosenShot == loading)
        return;
    m_loadingChosenShot = loading;
    emit signalLoadingShotChanged();
}

int CppImageWidget::shotIndex() const
{
    // The position among the current target's shots, as the selector lists them.
    if (const pq_targetInfo* target = m_job ? m_job->currentTargetInfo() : nullptr) {
        const int i = target->shots.indexOf(m_shot);
        if (i >= 0)
            return i;
    }
    const int i = m_shotList.indexOf(m_shot);
    return i < 0 ? 0 : i;
}

void CppImageWidget::resetShotState(bool keepRotations)
{
    m_isLastShot = false;
    m_isFilmCurveMissing = false;
    setLoadingShot(false);
    if (!keepRotations) {
        m_shotRotations.clear();
        if (m_engine)
            m_engine->setRotationAngle(0);
    }
    applyImageProfile();
}

void CppImageWidget::catchImageLoaded(bool success, const QString& missingCurve)
{
    const bool chosen = m_loadingChosenShot;
    setLoadingShot(false);
    if (!success) {
        // The load progress already stood at 100 %: say why nothing shows.
        const QString file = m_job ? QFileInfo(m_job->chartImagePath()).fileName() : m_shot;
        pq_ItemHost::instance()->alertWarning(
            tr("Error loading image"), tr("The image '%1' could not be read.").arg(file));
        return;
    }
    if (!m_job)
        return;
    const bool targetLoaded = m_job->loadCurrentTarget();
    if (!targetLoaded)
        pq_ItemHost::instance()->alertWarning(
            tr("Error loading Job"),
            tr("Error, either targetdefinition or reference data are malformed"));
    if (missingCurve.isEmpty() && m_engine) {
        m_cornerCache.clear();
        m_cornersFound.clear();
        m_engine->setRepaintDeferred(true);
        refreshImage(0);
        const bool placed = searchRotation();
        m_shotRotations.insert(m_shot, m_engine->rotationAngle());
        applyImageProfile();
        m_engine->setRepaintDeferred(false);
        if (!placed && targetLoaded)
            pq_ItemHost::instance()->alertWarning(
                tr("Place the grid"),
                tr("The chart could not be placed automatically. Turn the picture if needed "
                   "and drag the grid's corners onto the chart's outer patches."));
    }
    if (!m_job)
        return;
    if (chosen) {
        // A shot chosen among a target's shots: the targets stay as they are.
        if (m_engine)
            refreshImage(m_chosenShotLight);
        return;
    }
    m_isLastShot = !pq_ItemHost::instance()->selectNextTarget4Drop();
    if (m_isLastShot)
        prepareProfileName();
    emit signalIsLastShotChanged();
    if (!missingCurve.isEmpty()) {
        m_isFilmCurveMissing = true;
        emit signalIsFilmCurveMissingChanged();
    }
}

// Tries the four rotations with the grid on the chart the finder found in
// each (or on a stored placement) and keeps the one whose quick profile fits
// the reference best: a fit good in itself, or one clearly better than every
// other orientation tried on the same corners (a printed chart can lie far
// from its reference in every orientation, the right one still fits best).
// Without such a fit the best rotation tried on found corners stays, else
// the picture upright with what the finder found there; false then.
bool CppImageWidget::searchRotation()
{
    // An average colour difference that settles the orientation by itself.
    constexpr float kGoodFit = 10;
    // The best fit must beat the runner-up by this factor to win by rank.
    constexpr float kClearlyBetter = 0.75f;
    struct Fit {
        int rotation;
        float result;
    };
    QVector<Fit> fits;
    int measured = -1;
    for (int r : {0, 90, 180, 270}) {
        // A grid over the whole picture tells nothing about the orientation.
        if (!m_job->loadPatchGrid(r) && !findCorners(r))
            continue;
        measured = r;
        m_engine->setRotationAngle(r);
        float result = -1;
        placeGrid(&result);
        qCDebug(lcItems) << "rotation" << r << "average colour difference" << result;
        if (result < 0)
            continue;
        fits.append({r, result});
        if (result < kGoodFit)
            break;
    }
    std::sort(fits.begin(), fits.end(),
              [](const Fit& a, const Fit& b) { return a.result < b.result; });
    const bool fitting =
        !fits.isEmpty() && (fits[0].result < kGoodFit ||
                            (fits.size() > 1 && fits[0].result < kClearlyBetter * fits[1].result));
    const int chosen = fits.isEmpty() ? 0 : fits[0].rotation;
    if (chosen != measured || m_engine->rotationAngle() != chosen) {
        m_engine->setRotationAngle(chosen);
        placeGrid(nullptr);
    }
    return fitting;
}

void CppImageWidget::catchC1TifLoaded(int code)
{
    if (code == 0)
        catchImageLoaded(true, QString());
    else
        catchErrorExtractFilmCurve(code);
}

// The TIFF's greys are not the shot's: it is let go, nothing was stored, and
// the film-curve page says why.
void CppImageWidget::catchFilmCurveRefused()
{
    setC1TifPath(QString());
    catchErrorExtractFilmCurve(5);
}

void CppImageWidget::catchErrorExtractFilmCurve(int code)
{
    QString text;
    switch (code) {
    case 1: text = tr("Could not read the Capture One TIFF!"); break;
    case 2: text = tr("File is not a Capture One TIFF!"); break;
    case 3: text = tr("File is from wrong camera!"); break;
    case 4: text = tr("File has wrong aspect ratio!"); break;
    case 5: text = tr("File does not match the chart of the shot!"); break;
    default: return;
    }
    m_errorExtractFilmCurve = text;
    emit signalErrorExtractFilmCurveChanged();
}

// The current target's reference colours, Lab row by row, for the finder to
// tell the chart from other grids; empty when the target lacks them.
std::vector<double> CppImageWidget::referenceLabs(int columns, int rows) const
{
    TargetIF* target = m_job ? m_job->currentTarget() : nullptr;
    if (!target || columns <= 0 || rows <= 0 || int(target->columns()) != columns ||
        int(target->rows()) != rows)
        return {};
    std::vector<double> labs;
    labs.reserve(size_t(columns) * size_t(rows) * 3);
    bool lit = false;
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) {
            const PatchIF* patch = target->patch(unsigned(column), unsigned(row));
            if (!patch)
                return {};
            for (int i = 0; i < 3; ++i)
                labs.push_back(patch->referenceLab(i));
            lit = lit || patch->referenceLab(0) > 0;
        }
    return lit ? labs : std::vector<double>();
}

// The source picture of the corner search and its reduced size: the shorter
// side 500..999 pixels (whole factor); null without a picture.
const QPixmap* CppImageWidget::searchSource(QSize* reduced) const
{
    const QPixmap* source = &m_job->chartStretchedPixmap();
    if (source->isNull())
        source = &m_job->chartPixmap();
    if (source->isNull())
        return nullptr;
    const int width = source->width();
    const int height = source->height();
    const int f = std::max(1, std::max(1, std::min(width, height)) / 500);
    *reduced = QSize(int(std::lround(double(width) / f)), int(std::lround(double(height) / f)));
    return source;
}

bool CppImageWidget::findCorners(int rotation)
{
    const int k = rotation % 180;
    if (m_cornerCache.contains(k))
        return m_cornersFound.contains(k);
    QSize reduced;
    const QPixmap* source = m_job ? searchSource(&reduced) : nullptr;
    if (!source)
        return false;
    const int width = source->width();
    const int height = source->height();
    const int tw = reduced.width();
    const int th = reduced.height();
    const QTransform t = QPixmap::trueMatrix(
        QTransform().scale(double(tw) / width, double(th) / height).rotate(k), width, height);
    const QImage image =
        source->transformed(t, Qt::FastTransformation).toImage().convertToFormat(QImage::Format_RGB32);
    if (g_finderProbe)
        g_finderProbe(image);
    double x[4] = {0, 1, 0, 1};
    double y[4] = {0, 0, 1, 1};
    pq_targetInfo* info = m_job->currentTargetInfo();
    const int columns = info ? info->columns : 0;
    const int rows = info ? info->rows : 0;
    std::vector<uint32_t> pixels(size_t(image.width()) * size_t(image.height()));
    for (int row = 0; row < image.height(); ++row)
        std::memcpy(pixels.data() + size_t(row) * size_t(image.width()), image.constScanLine(row),
                    size_t(image.width()) * 4);
    const std::vector<double> reference = referenceLabs(columns, rows);
    bool found = (reference.empty()
                      ? find_chart_corners(pixels.data(), image.width(), image.height(), x, y, 4,
                                           columns, rows)
                      : find_chart_corners_with_reference(pixels.data(), image.width(),
                                                          image.height(), x, y, 4, columns, rows,
                                                          reference.data())) == 0;
    QPolygonF corners(4);
    for (int i = 0; i < 4; ++i) {
        // Corners outside the picture are not trusted.
        const bool inside = std::isfinite(x[i]) && std::isfinite(y[i]) && x[i] >= 0 &&
                            x[i] <= 1 && y[i] >= 0 && y[i] <= 1;
        corners[i] = inside ? QPointF(x[i], y[i]) : QPointF(i % 2, i / 2);
        found = found && inside;
    }
    if (found)
        m_cornersFound.insert(k);
    m_cornerCache.insert(k, corners);
    return found;
}

bool CppImageWidget::placeGrid(float* result)
{
    if (!m_job || !m_engine)
        return false;
    const int rotation = m_engine->rotationAngle();
    if (m_job->loadPatchGrid(rotation)) {
        if (result)
            m_engine->doMeasurement(result);
        else
            m_engine->doMeasurement();
        return true;
    }
    QSize reduced;
    if (!searchSource(&reduced))
        return false;
    const bool found = findCorners(rotation);
    const int k = rotation % 180;
    QPolygonF corners = m_cornerCache.value(k);
    if (rotation >= 180)
        corners = reflected(corners);
    const RawImageIF& raw = m_job->chartRawImage();
    PatchGridIF* grid = m_job->currentPatchGrid();
    const int W = raw.width();
    const int H = raw.height();
    if (W <= 0 || H <= 0 || !grid || corners.size() != 4)
        return false;
    // The reduced picture in the rotated frame, scaled to full resolution.
    const int tw = reduced.width();
    const int th = reduced.height();
    const QSize rotatedSize = k != 0 ? QSize(th, tw) : QSize(tw, th);
    QPoint p[4];
    for (int i = 0; i < 4; ++i)
        p[i] = QPoint(int(std::lround(double(rotatedSize.width()) * W * corners[i].x() / tw)),
                      int(std::lround(double(rotatedSize.height()) * H * corners[i].y() / th)));
    grid->setCorners(p[0], p[1], p[2], p[3]);
    if (result)
        m_engine->doMeasurement(result);
    else
        m_engine->doMeasurement();
    return found;
}

void CppImageWidget::rotateCCW()
{
    if (!m_engine)
        return;
    m_engine->setRotateCCW();
    m_shotRotations.insert(m_shot, m_engine->rotationAngle());
    placeGrid(nullptr);
}

void CppImageWidget::rotateCW()
{
    if (!m_engine)
        return;
    m_engine->setRotateCW();
    m_shotRotations.insert(m_shot, m_engine->rotationAngle());
    placeGrid(nullptr);
}

void CppImageWidget::applyImageProfile()
{
    if (!m_engine)
        return;
    Kirr_ColorProfileIF* profile = nullptr;
    if (m_job && m_job->isChartImageIcc()) {
        profile = Kirr_profileFromFile(m_job->chartImagePath());
    } else if (m_job && !m_job->isChartImageLoaded()) {
        // A shot with its film curve applied is shown as it is; otherwise the
        // profile embedded in the shot, when there is one and it opens.
        const QByteArray embedded = m_job->chartImageIccData();
        if (!embedded.isEmpty())
            profile = Kirr_profileFromData(embedded);
    }
    if (profile) {
        m_qaSliderValue = 1.0;
        m_engine->setDeltaColorsLimitForShow(1000);
        m_engine->setDeltaColorsEnabled(true);
        reapplyDeltaFlags();
        m_engine->setImageProfile(profile);
        delete profile;
    } else {
        m_engine->clearImageProfile();
    }
}

bool CppImageWidget::makesDcp() const
{
    if (!m_job)
        return false;
    if (m_job->areAllChartImagesRaw())
        return !m_job->isC1InsteadOfDCP() || m_job->isDcpChart();
    return m_job->isDcpChart();
}

int CppImageWidget::targetCount() const
{
    if (auto* job = qobject_cast<pq_Job*>(m_job))
        return int(job->targetInfos().size());
    return m_job && m_job->currentTargetInfo() ? 1 : 0;
}

void CppImageWidget::prepareProfileName()
{
    if (!m_job)
        return;
    pq_ItemHost* host = pq_ItemHost::instance();
    host->setProfileNameTag(pq_profileKindTag(*m_job));
    host->setProfileName(m_job->profileName(), m_job->profileNamePrefix().length());
    if (targetCount() > 0)
        host->selectTarget4Profiling(0);
    // The reference data the job's target loading reads: its own text, else
    // that of its reference file.
    pq_targetInfo* info = m_job ? m_job->currentTargetInfo() : nullptr;
    if (!info || (info->referenceData.isEmpty() && info->referenceFileText().isEmpty()))
        host->alertCritical(tr("Error"), tr("No Reference Data in job!"));
}

void CppImageWidget::setProgressValue(const QVariant& value)
{
    if (QQmlPropertyMap* map = pq_ItemHost::instance()->currentJobMap())
        map->insert(QStringLiteral("progressValue"), value);
}

void CppImageWidget::startProfiling()
{
    if (!m_job || !m_engine)
        return;
    pq_jobExpertSettingsIF* expert = m_job->expertSettings();
    if (!expert)
        return;
    calculation_settings settings{};
    settings.word0 = expert->cameraIlluminantIndex();
    settings.word1 = expert->observerIndex();
    if (m_job->areAllChartImagesRaw())
        settings.calculation_mode = m_job->isC1InsteadOfDCP() ? expert->c1ProfileTypeIndex()
                                                              : expert->cameraProfileTypeIndex();
    else
        settings.calculation_mode = m_job->areAllChartImagesLoaded() ? expert->c1ProfileTypeIndex()
                                                                     : expert->iccProfileTypeIndex();
    settings.word3 = expert->grayWeightIndex();
    settings.word4 = 0;
    settings.value = float(expert->exposureOffsetValue());
    settings.flag = 0;
    const bool pcsXyz = expert->isConnectionSpaceXYZ() &&
                        (m_job->areAllChartImagesRaw() || expert->iccProfileTypeIndex() != 3);
    bool linearInput = m_job->areAllChartImagesLoaded();
    double gamma = 1.0;
    if (m_job->areAllChartImagesRaw() && m_job->isC1InsteadOfDCP() && !m_job->isChartImageIcc() &&
        !m_job->isChartImageTxt()) {
        linearInput = true;
        gamma = 1.8;
    }
    QString customIlluminant;
    const QString illuminant = expert->illuminantICC();
    if (!illuminant.isEmpty()) {
        const QFileInfoList files =
            QDir(platform::illuminantsFolderPath()).entryInfoList(QDir::Files | QDir::Readable, QDir::NoSort);
        for (const QFileInfo& file : files)
            if (file.baseName() == illuminant) {
                customIlluminant = file.absoluteFilePath();
                break;
            }
    }
    QString profilePath;
    const int result = m_job->createProfile(
        profilePath, pcsXyz, expert->deltaEFormula(), expert->iccIlluminantIndex(),
        customIlluminant, &settings, linearInput, m_job->toneCurveLut(), m_job->toneCurveSpline(),
        gamma, 0.0, m_engine->rotationAngle());
    setProgressValue(0);
    pq_ItemHost* host = pq_ItemHost::instance();
    switch (result) {
    case 0:
        m_statistics.reset();
        break;
    case 1:
        host->alertCritical(tr("Failed to write intermediate files"),
                            tr("Failed to write files for profile '%1'.").arg(profilePath));
        break;
    case 2:
        host->alertCritical(
            tr("Bad pixel data"),
            tr("Bad pixel data for profile '%1', did you position the grid correctly?")
                .arg(profilePath));
        break;
    case 3:
        host->alertCritical(tr("Empty target"),
                            tr("Target contains no samples for profile '%1'.").arg(profilePath));
        break;
    case 4:
        host->alertCritical(tr("Cannot find destination directory"),
                            tr("No directory '%1' found.").arg(m_job->outputFolder()));
        break;
    default:
        // No run started: the progress page must not wait for one.
        host->alertCritical(tr("An error occured"),
                            tr("Profile creation returned an error code %1").arg(result));
        break;
    }
}

void CppImageWidget::cancelProfiling()
{
    pq_ProfilingThreadMgrIF::instance()->abort();
    m_shotList.clear();
}

void CppImageWidget::catchProfileCreationProgress(double fraction)
{
    setProgressValue(fraction * 100);
}

void CppImageWidget::catchProfileCreationError(int code)
{
    const QString file = m_job ? m_job->outputFolder() + m_job->profileName() + QLatin1Char('.') +
                                     m_job->profileExtension()
                               : QString();
    QString message;
    if (code == 1001)
        message = tr("Could not write profile '%1'").arg(file);
    else if (code == 1002)
        message = tr("Could not write buffer '%1'").arg(file);
    else
        message = tr("Profile creation returned an error code %1").arg(code);
    pq_ItemHost::instance()->alertCritical(tr("An error occured"), message);
}

void CppImageWidget::catchProfileCreationAborted()
{
    pq_ItemHost::instance()->alertWarning(tr("Aborted by user"),
                                          tr("Profile creation aborted by user"));
    m_shotList.clear();
}

void CppImageWidget::catchProfileCreationDone(const QString& path)
{
    QString full = path;
    if (!path.contains(QLatin1Char('/')) && m_job)
        full = m_job->outputFolder() + path;
    m_shotList.clear();
    pq_ItemHost* host = pq_ItemHost::instance();
    if (!QFileInfo(full).isFile()) {
        host->alertCritical(tr("An error occured"),
                            tr("Could not write profile '%1'").arg(full));
        return;
    }
    measureQuality(full);
    host->profileCreated(full);
    host->alertInformation(tr("Successfully completed"),
                           tr("Profile creation successfully completed"));
}

bool CppImageWidget::setImageProfileFromPath(const QString& path)
{
    if (!m_engine)
        return false;
    if (path.isEmpty()) {
        m_engine->clearImageProfile();
        return false;
    }
    QString chosen = path;
    if (makesDcp()) {
        const QString twin = QDir(Kirr_cameraProfileFolder())
                                 .filePath(QFileInfo(path).completeBaseName() + QStringLiteral(".dcp"));
        if (QFileInfo::exists(twin))
            chosen = twin;
    }
    Kirr_ColorProfileIF* profile = Kirr_profileFromFile(chosen);
    if (!profile && chosen != path)
        profile = Kirr_profileFromFile(path);
    if (profile) {
        m_engine->setImageProfile(profile);
        delete profile;
        return true;
    }
    m_engine->clearImageProfile();
    return false;
}

void CppImageWidget::measureQuality(const QString& profilePath)
{
    const bool opened = setImageProfileFromPath(profilePath);
    if (m_engine)
        m_engine->setDeltaColorsEnabled(true);
    if (!m_job || !m_engine) {
        clearStatistics(tr("No chart to measure."));
        return;
    }
    pq_ItemHost* host = pq_ItemHost::instance();
    m_statistics = std::make_unique<pq_DeltaEHistogram>();
    bool allPassed = true;
    bool evaluated = false;
    const int count = targetCount();
    for (int i = 0; i < count; ++i) {
        host->selectTarget4Profiling(i);
        pq_DeltaEHistogram histogram;
        bool passed = false;
        bool metamorfoze = false;
        m_engine->qualityResult(&histogram, &passed, &metamorfoze);
        if (!histogram.isEmpty())
            m_statistics->merge(histogram);
        if (!passed)
            allPassed = false;
        if (metamorfoze)
            evaluated = true;
    }
    const QString name = QFileInfo(profilePath).fileName();
    if (!opened)
        clearStatistics(profilePath.isEmpty()
                            ? tr("No profile to measure.")
                            : tr("The profile '%1' cannot be opened.").arg(name));
    else if (m_statistics->isEmpty())
        clearStatistics(tr("No patch could be measured through the profile '%1'.").arg(name));
    else
        catchStatistics(m_statistics->percentile(0.1), m_statistics->percentile(0.5),
                        m_statistics->percentile(0.9), allPassed, evaluated);
    if (count > 0)
        host->selectTarget4Profiling(0);
}

void CppImageWidget::catchStatistics(double p10, double p50, double p90, bool passed,
                                     bool evaluated)
{
    const double t = m_statistics ? m_statistics->percentile(m_qaSliderValue) : 0.0;
    setLimitForShow(t, m_qaSliderValue);
    const QString optimisation =
        m_job && m_job->expertSettings() ? m_job->expertSettings()->profileOptimization() : QString();
    m_deltaLabel = (m_job ? optimisation : QStringLiteral("ΔE")) + QLatin1Char(':');
    m_deltaEValue = m_statistics ? QString::number(t, 'f', 1) : QString();
    m_medianDeltaE = p50;
    QString text = tr("10%/mean/90% ΔE:") + QLatin1Char(' ') + QString::number(p10, 'f', 1) +
                   QStringLiteral(" / ") + QString::number(p50, 'f', 1) + QStringLiteral(" / ") +
                   QString::number(p90, 'f', 1) + QLatin1Char('\n');
    if (evaluated)
        text += passed ? tr("Metamorfoze Quality Criteria Passed")
                       : tr("Metamorfoze Quality Criteria Failed");
    else if (m_job)
        text += QLatin1Char('(') + optimisation + QLatin1Char(')');
    m_deltaEStatistics = text;
    emit signalDeltaEChanged();
}

// A measurement without figures: nothing of the previous profile stays on
// the page, and the reason takes the figures' place.
void CppImageWidget::clearStatistics(const QString& reason)
{
    m_statistics.reset();
    if (m_engine) {
        m_engine->setDeltaColorsLimitForShow(-1.0);
        reapplyDeltaFlags();
    }
    m_deltaEValue.clear();
    m_medianDeltaE = 0;
    m_deltaEStatistics = reason;
    emit signalDeltaEChanged();
}

void CppImageWidget::catchDeltaEThresholdsChanged()
{
    // While deferred the repaint follows when the deferral ends.
    if (m_engine && !m_engine->isRepaintDeferred())
        polish();
    emit signalDeltaEChanged();
}

void CppImageWidget::catchMouseReleased()
{
    if (m_engine)
        m_engine->doMeasurement();
}

void CppImageWidget::setC1TifPath(const QString& path)
{
    if (auto* job = qobject_cast<pq_Job*>(m_job))
        job->setC1TifPath(path);
}

void CppImageWidget::setGridMovable(bool movable)
{
    if (m_engine)
        m_engine->setGridMovable(movable);
}

void CppImageWidget::setLightnessControlVisible(bool visible)
{
    if (m_engine)
        m_engine->setLightnessControlVisible(visible);
}

QImage CppImageWidget::sampleImage(const QPoint& centre, const QSize& size)
{
    return m_engine ? m_engine->sampleImage(centre, size) : QImage();
}

QVector<double> CppImageWidget::averageColor(const QPoint& point, int radius)
{
    return m_engine ? m_engine->averageColor(point, radius) : QVector<double>();
}

void CppImageWidget::geometryChanged(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickPaintedItem::geometryChanged(newGeometry, oldGeometry);
    if (m_engine) {
        m_engine->setSize(newGeometry.size());
        polish();
    }
}

void CppImageWidget::updatePolish()
{
    if (m_engine) {
        m_engine->setSize(size());
        m_frame = m_engine->renderImage();
    } else {
        m_frame = QImage();
    }
    update();
}

void CppImageWidget::paint(QPainter* painter)
{
    if (!m_frame.isNull())
        painter->drawImage(0, 0, m_frame);
}

void CppImageWidget::mousePressEvent(QMouseEvent* event)
{
    if (m_engine)
        m_engine->mousePressEvent(event);
}

void CppImageWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (m_engine)
        m_engine->mouseMoveEvent(event);
}

void CppImageWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_engine)
        return;
    m_engine->mouseReleaseEvent(event);
    emit signalMouseReleased();
}

void CppImageWidget::hoverMoveEvent(QHoverEvent* event)
{
    if (m_engine)
        m_engine->hoverMoveEvent(event);
}

void CppImageWidget::hoverEnterEvent(QHoverEvent* event)
{
    if (m_engine)
        m_engine->hoverEnterEvent(event);
}

void CppImageWidget::hoverLeaveEvent(QHoverEvent* event)
{
    if (m_engine)
        m_engine->hoverLeaveEvent(event);
}
