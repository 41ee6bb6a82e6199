#include "widgets/pq_ImageWidget.h"

#include "chart/RawImage.h"
#include "colour/Kirr_ColorImageIF.h"
#include "colour/Kirr_ColorMatchIF.h"
#include "colour/Kirr_ColorProfileIF.h"
#include "colour/Kirr_colorLibrary.h"
#include "jobs/pq_JobIF.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QMutexLocker>
#include <QPainter>
#include <QPixmap>
#include <QUrl>

#include <cmath>
#include <cstring>
#include <memory>

const QColor pq_backgroundGrey(100, 100, 100);

namespace {

constexpr double kMinScale = 0.05;
constexpr double kMaxScale = 4.0;

// 4 CMYK, 5..15 nCLR (hexadecimal digit of the count), anything else RGB.
quint32 colourSpaceForChannels(int channels)
{
    if (channels == 4)
        return Kirr_sig("CMYK");
    if (channels >= 5 && channels <= 15) {
        const char digit = "0123456789ABCDEF"[channels];
        return (quint32(quint8(digit)) << 24) | 0x00434c52u;
    }
    return Kirr_sig("RGB ");
}

// A colour image holding a copy of the pixel data (rows of RawImage carry
// padding that a view could not describe).
Kirr_ColorImageIF *colourImageFrom(const RawImageIF &pixels)
{
    const int bits = pixels.bitsPerSample() > 8 ? 16 : 8;
    if (pixels.sampleType() != RawImageIF::Samples8 && pixels.sampleType() != RawImageIF::Samples16)
        return nullptr;
    Kirr_ColorImageIF *image =
        Kirr_createColorImage(pixels.width(), pixels.height(), colourSpaceForChannels(pixels.channels()),
                              bits, pixels.channels(), 0, false);
    if (!image)
        return nullptr;
    const std::size_t rowBytes =
        std::size_t(pixels.width()) * std::size_t(pixels.channels()) * std::size_t(bits / 8);
    for (int y = 0; y < pixels.height(); ++y)
        std::memcpy(image->rowData(y), pixels.rowBytes(y), rowBytes);
    return image;
}

// The pixmap rotated through transform, then scaled.
QImage transformedImage(const QPixmap &source, const QTransform &transform, double scale)
{
    const QRect mapped = transform.mapRect(QRect(QPoint(0, 0), source.size()));
    if (mapped.isEmpty())
        return QImage();
    QPixmap rotated(mapped.size());
    if (source.devicePixelRatio() > 1)
        rotated.setDevicePixelRatio(source.devicePixelRatio());
    rotated.fill(pq_backgroundGrey);
    {
        QPainter painter(&rotated);
        painter.setTransform(transform);
        painter.drawPixmap(0, 0, source);
    }
    rotated.setDevicePixelRatio(1);
    const QSize size(qMax(1, int(std::lround(mapped.width() * scale))),
                     qMax(1, int(std::lround(mapped.height() * scale))));
    QImage image = rotated.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).toImage();
    image.setDevicePixelRatio(1);
    return image;
}

void deleteMatch(Kirr_ColorMatchIF *&match)
{
    delete match;
    match = nullptr;
}

}  // namespace

pq_ImageWidget::pq_ImageWidget(QQuickItem *parent) : QckWidget(parent) {}

pq_ImageWidget::~pq_ImageWidget()
{
    delete m_pixmap;
    delete m_prettyPixmap;
    delete m_pixelData;
    delete m_displayPixelData;
    delete m_defaultRGBMatch;
    delete m_monitorMatch;
    delete m_quickDefaultRGBMatch;
    delete m_quickMonitorMatch;
    delete m_imageProfile;
}

void pq_ImageWidget::quickProfileReset()
{
    m_quickDefaultRGBImage = QImage();
    m_quickMonitorImage = QImage();
    deleteMatch(m_quickDefaultRGBMatch);
    deleteMatch(m_quickMonitorMatch);
    m_bestQuickProfileError = 10.0;
    m_quickProfileNeeded = 1;
}

void pq_ImageWidget::profileCachesReset()
{
    m_monitorImage = QImage();
    m_defaultRGBImage = QImage();
}

void pq_ImageWidget::setDefaultRGBProfilePath(QString path)
{
    if (path != m_defaultRGBProfilePath)
        m_defaultRGBProfilePath = path;
}

void pq_ImageWidget::setImageMovable(bool movable) { m_imageMovable = movable; }

void pq_ImageWidget::clearImageProfile()
{
    profileCachesReset();
    if (m_defaultRGBMatch || m_monitorMatch) {
        deleteMatch(m_defaultRGBMatch);
        deleteMatch(m_monitorMatch);
        requestRepaint();
    }
    delete m_imageProfile;
    m_imageProfile = nullptr;
}

void pq_ImageWidget::setImageProfile(Kirr_ColorProfileIF *imageProfile)
{
    pq_ImageWidget::clearImageProfile();
    m_imageProfile = imageProfile ? Kirr_copyProfile(imageProfile) : nullptr;
    if (!m_imageProfile)
        return;
    std::unique_ptr<Kirr_ColorProfileIF> defaultRGB(
        m_defaultRGBProfilePath.isEmpty() ? nullptr : Kirr_profileFromFile(m_defaultRGBProfilePath));
    if (defaultRGB)
        m_defaultRGBMatch = Kirr_createColorMatch(m_imageProfile, defaultRGB.get(), 1);
    std::unique_ptr<Kirr_ColorProfileIF> monitor(Kirr_displayProfile());
    if (monitor)
        m_monitorMatch = Kirr_createColorMatch(m_imageProfile, monitor.get(), 1);
    else if (defaultRGB)
        m_monitorMatch = Kirr_createColorMatch(m_imageProfile, defaultRGB.get(), 1);
    if (m_defaultRGBMatch || m_monitorMatch)
        requestRepaint();
}

void pq_ImageWidget::setJob(pq_JobIF *job)
{
    quickProfileReset();
    m_job = job;
    requestRepaint();
}

void pq_ImageWidget::setPixmap(const QPixmap *pixmap, const RawImageIF *rawChartImage,
                               const QPixmap *prettyPixmap)
{
    {
        QMutexLocker lock(&m_mutex);
        delete m_pixelData;
        m_pixelData = rawChartImage ? cloneRawImage(rawChartImage) : nullptr;
        delete m_displayPixelData;
        m_displayPixelData = nullptr;
        delete m_pixmap;
        m_pixmap = pixmap ? new QPixmap(*pixmap) : nullptr;
        delete m_prettyPixmap;
        m_prettyPixmap = prettyPixmap ? new QPixmap(*prettyPixmap) : nullptr;
        m_displayImage = QImage();
        m_prettyDisplayImage = QImage();
        m_quickMonitorImage = QImage();
        m_quickDefaultRGBImage = QImage();
        profileCachesReset();
        m_imageOffset = QPoint(0, 0);
    }
    quickProfileReset();
    markForUpdate();
    requestRepaint();
}

void pq_ImageWidget::setImageRGBFactor(QVector<double> imageRGBFactor)
{
    if (imageRGBFactor == m_imageRGBFactors)
        return;
    m_imageRGBFactors = imageRGBFactor;
    // The converted pictures depend on the factors.
    profileCachesReset();
    m_quickDefaultRGBImage = QImage();
    m_quickMonitorImage = QImage();
    if (m_defaultRGBMatch || m_monitorMatch)
        requestRepaint();
}

void pq_ImageWidget::setTemperature(double temperature)
{
    if (m_imageProfile)
        m_imageProfile->setTemperature(temperature);
    if (m_defaultRGBMatch)
        m_defaultRGBMatch->setSourceTemperature(temperature);
    if (m_monitorMatch)
        m_monitorMatch->setSourceTemperature(temperature);
    // The converted pictures depend on the temperature.
    profileCachesReset();
    m_quickDefaultRGBImage = QImage();
    m_quickMonitorImage = QImage();
    if (m_defaultRGBMatch || m_monitorMatch)
        requestRepaint();
}

void pq_ImageWidget::markForUpdate() { m_fitPending = true; }

void pq_ImageWidget::setRotationAngle(int newAngle)
{
    int angle = newAngle;
    if (angle < 0)
        angle = 359 - ((-(qint64(angle)) - 1) % 360);
    else if (angle >= 360)
        angle %= 360;
    if (angle == m_rotationAngle)
        return;
    m_rotationAngle = angle;
    if (m_job)
        m_job->loadTargetData(false);
    quickProfileReset();
    // The turned picture is fitted to the view again at the next paint.
    markForUpdate();
    rebuildDisplayImages();
    requestRepaint();
}

void pq_ImageWidget::setRotateCCW() { setRotationAngle(m_rotationAngle - 90); }

void pq_ImageWidget::setRotateCW() { setRotationAngle(m_rotationAngle + 90); }

void pq_ImageWidget::setScaleFactor(double newScaleFactor)
{
    if (!applyScaleFactor(newScaleFactor, true) && !m_displayImage.isNull())
        return;
    rebuildDisplayImages();
    requestRepaint();
}

void pq_ImageWidget::setIncZoom() { setScaleFactor(m_scaleFactor * 1.25); }

void pq_ImageWidget::setDecZoom() { setScaleFactor(m_scaleFactor / 1.25); }

bool pq_ImageWidget::applyScaleFactor(double s, bool keepCentre)
{
    if (!std::isfinite(s))
        return false;
    s = qBound(kMinScale, s, kMaxScale);
    if (s == m_scaleFactor)
        return false;
    if (keepCentre && m_scaleFactor > 0) {
        const double ratio = s / m_scaleFactor;
        const double w = width();
        const double h = height();
        m_imageOffset.setX(int(std::trunc(w / 2 + (m_imageOffset.x() - w / 2) * ratio)));
        m_imageOffset.setY(int(std::trunc(h / 2 + (m_imageOffset.y() - h / 2) * ratio)));
    }
    m_scaleFactor = s;
    return true;
}

double pq_ImageWidget::fitScaleFactor()
{
    QMutexLocker lock(&m_mutex);
    const double w = width();
    const double h = height();
    if (!m_pixmap || w <= 0 || h <= 0 || m_pixmap->width() <= 0 || m_pixmap->height() <= 0)
        return 1.0;
    // The picture as it is shown: a quarter turn swaps its sides.
    const bool quarter = m_rotationAngle % 180 != 0;
    const double pw = quarter ? m_pixmap->height() : m_pixmap->width();
    const double ph = quarter ? m_pixmap->width() : m_pixmap->height();
    double f = 1.0;
    while (w > pw * f && h > ph * f && f < 1e6)
        f *= 1.25;
    while ((w < pw * f || h < ph * f) && f > 1e-6)
        f /= 1.25;
    return f;
}

QTransform pq_ImageWidget::displayTransform(bool withC1Scale) const
{
    QTransform rotation;
    rotation.rotate(m_rotationAngle);
    if (withC1Scale && m_job) {
        const RawImageIF &chart = m_job->chartRawImage();
        const RawImageIF &tif = m_job->c1TifRawImage();
        if (chart.sampleType() != 0 && tif.sampleType() != 0 && tif.width() > 0
            && tif.height() > 0) {
            QTransform t = rotation;
            t.scale(double(chart.width()) / tif.width(), double(chart.height()) / tif.height());
            return QPixmap::trueMatrix(t, tif.width(), tif.height());
        }
    }
    if (!m_pixmap)
        return QTransform();
    return QPixmap::trueMatrix(rotation, m_pixmap->width(), m_pixmap->height());
}

void pq_ImageWidget::rebuildDisplayImages()
{
    if (isRepaintDeferred())
        return;
    QMutexLocker lock(&m_mutex);
    m_displayImage = QImage();
    m_prettyDisplayImage = QImage();
    m_monitorImage = QImage();
    m_defaultRGBImage = QImage();
    m_quickDefaultRGBImage = QImage();
    m_quickMonitorImage = QImage();
    delete m_displayPixelData;
    m_displayPixelData = nullptr;
    if (!(m_scaleFactor > 0) || !m_pixmap || m_pixmap->isNull())
        return;
    const QTransform transform = displayTransform(false);
    m_displayImage = transformedImage(*m_pixmap, transform, m_scaleFactor);
    if (m_prettyPixmap && !m_prettyPixmap->isNull())
        m_prettyDisplayImage = transformedImage(*m_prettyPixmap, transform, m_scaleFactor);
    if (!m_pixelData || m_pixelData->isNull() || m_displayImage.isNull())
        return;
    const int sourceBits = m_pixelData->bitsPerSample() > 8 ? 16 : 8;
    if (m_pixelData->sampleType() == RawImageIF::SamplesFloat)
        return;
    const int dw = m_displayImage.width();
    const int dh = m_displayImage.height();
    const int channels = m_pixelData->channels();
    m_displayPixelData = createRawImage(dw, dh, channels, sourceBits);
    if (!m_displayPixelData)
        return;
    QTransform inverse;
    inverse.rotate(-m_rotationAngle);
    const QTransform back = QPixmap::trueMatrix(inverse, int(std::lround(dw / m_scaleFactor)),
                                                int(std::lround(dh / m_scaleFactor)));
    const int sw = m_pixelData->width();
    const int sh = m_pixelData->height();
    for (int v = 0; v < dh; ++v) {
        for (int u = 0; u < dw; ++u) {
            const QPointF p = back.map(QPointF(u / m_scaleFactor, v / m_scaleFactor));
            const int x = qBound(0, int(std::lround(p.x())), sw - 1);
            const int y = qBound(0, int(std::lround(p.y())), sh - 1);
            if (sourceBits == 8) {
                const std::uint8_t *s = m_pixelData->rowData8(y) + std::size_t(x) * channels;
                std::uint8_t *d = m_displayPixelData->rowData8(v) + std::size_t(u) * channels;
                std::memcpy(d, s, std::size_t(channels));
            } else {
                const std::uint16_t *s = m_pixelData->rowData16(y) + std::size_t(x) * channels;
                std::uint16_t *d = m_displayPixelData->rowData16(v) + std::size_t(u) * channels;
                std::memcpy(d, s, std::size_t(channels) * 2);
            }
        }
    }
}

void pq_ImageWidget::paint(QPainter *painter)
{
    if (m_fitPending) {
        m_scaleFactor = qBound(kMinScale, fitScaleFactor(), kMaxScale);
        rebuildDisplayImages();
        if (!m_displayImage.isNull()) {
            m_imageOffset.setX(int(std::trunc((width() - m_displayImage.width()) / 2)));
            m_imageOffset.setY(int(std::trunc((height() - m_displayImage.height()) / 2)));
        }
    }
    paintOverlay(painter, m_fitPending);
    m_fitPending = false;
}

void pq_ImageWidget::displayCorrection(const double *&factors, double &gain) const
{
    factors = nullptr;
    gain = 1.0;
    if (!m_job)
        return;
    const bool c1Raw = m_job->areAllChartImagesRaw() && m_job->isC1InsteadOfDCP()
                       && !m_job->isChartImageIcc() && !m_job->isChartImageTxt();
    // Cleared factors (zeros) would blacken the picture: they count as none.
    const bool factorsSet = m_displayChannelFactors[0] > 0 && m_displayChannelFactors[1] > 0
                            && m_displayChannelFactors[2] > 0;
    if ((m_job->areAllChartImagesLoaded() || c1Raw) && factorsSet)
        factors = m_displayChannelFactors;
    if (c1Raw)
        gain = m_displayGain;
}

QImage pq_ImageWidget::shownPicture(bool withCorrection)
{
    const double *factors = nullptr;
    double gain = 1.0;
    const Kirr_BezierLut *lut = nullptr;
    const Kirr_Spline1 *spline = nullptr;
    if (withCorrection) {
        displayCorrection(factors, gain);
        if (m_job) {
            lut = m_job->toneCurveLut();
            spline = m_job->toneCurveSpline();
        }
    }
    const double gamma = withCorrection ? 0.0 : 1.0;
    if (m_monitorMatch) {
        if (m_monitorImage.isNull())
            m_monitorImage = convertForDisplay(m_monitorMatch, factors, lut, spline, gamma, gain);
        return m_monitorImage;
    }
    if (m_quickMonitorMatch) {
        if (m_quickMonitorImage.isNull())
            m_quickMonitorImage =
                convertForDisplay(m_quickMonitorMatch, factors, lut, spline, gamma, gain);
        return m_quickMonitorImage;
    }
    if (!m_prettyDisplayImage.isNull())
        return m_prettyDisplayImage;
    return m_displayImage;
}

void pq_ImageWidget::paintOverlay(QPainter *painter, bool fitted)
{
    Q_UNUSED(fitted)
    painter->fillRect(QRect(0, 0, int(width()), int(height())), pq_backgroundGrey);
    if (m_displayImage.isNull())
        return;
    painter->drawImage(m_imageOffset, shownPicture(true));
}

QImage pq_ImageWidget::convertForDisplay(Kirr_ColorMatchIF *match, const double *factors,
                                         const Kirr_BezierLut *lut, const Kirr_Spline1 *spline,
                                         double gamma, double gain)
{
    QImage image = m_displayImage.convertToFormat(QImage::Format_ARGB32);
    if (!match || image.isNull())
        return image;
    if (!m_displayPixelData) {
        match->transformQImage(image, image);
        return image;
    }
    std::unique_ptr<Kirr_ColorImageIF> source(colourImageFrom(*m_displayPixelData));
    std::unique_ptr<Kirr_ColorImageIF> destination(
        Kirr_createColorImageFromQImage(image, Kirr_sig("RGB ")));
    if (!source || !destination || source->width() != destination->width()
        || source->height() != destination->height())
        return image;
    const quint32 space = source->colorSpace();
    const int depth = Kirr_isNChannelColorSpace(space) ? 8 : 16;
    if (!factors && !lut && !spline && gamma == 1.0 && gain == 1.0
        && source->bitsPerChannel() == depth) {
        match->transformImage(*source, *destination, imageRGBFactorData());
        return image;
    }
    std::unique_ptr<Kirr_ColorImageIF> work(Kirr_createColorImage(
        source->width(), source->height(), space, depth, source->channels(), 0, false));
    if (!work || !work->copyImage(*source))
        return image;
    work->applyCurves(factors, lut, spline, gamma, gain);
    match->transformImage(*work, *destination, nullptr);
    return image;
}

QImage pq_ImageWidget::sampleImage(QPoint centre, QSize size)
{
    QImage sample(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    sample.fill(pq_backgroundGrey);
    if (m_displayImage.isNull())
        return sample;
    const QImage picture = shownPicture(false);
    const int x0 = centre.x() - m_imageOffset.x() - size.width() / 2;
    const int y0 = centre.y() - m_imageOffset.y() - size.height() / 2;
    QPainter painter(&sample);
    painter.drawImage(QPoint(0, 0), picture, QRect(x0, y0, size.width(), size.height()));
    return sample;
}

QVector<double> pq_ImageWidget::averageColor(QPoint itemPoint, int radius)
{
    const double *factors = nullptr;
    double gain = 1.0;
    displayCorrection(factors, gain);
    const Kirr_BezierLut *lut = m_job ? m_job->toneCurveLut() : nullptr;
    const Kirr_Spline1 *spline = m_job ? m_job->toneCurveSpline() : nullptr;
    if (m_defaultRGBMatch && m_defaultRGBImage.isNull())
        m_defaultRGBImage = convertForDisplay(m_defaultRGBMatch, factors, lut, spline, 0, gain);
    if (m_quickDefaultRGBMatch && m_quickDefaultRGBImage.isNull())
        m_quickDefaultRGBImage =
            convertForDisplay(m_quickDefaultRGBMatch, factors, lut, spline, 0, gain);
    QImage picture;
    if (!m_defaultRGBImage.isNull())
        picture = m_defaultRGBImage;
    else if (!m_monitorImage.isNull())
        picture = m_monitorImage;
    else if (!m_quickDefaultRGBImage.isNull())
        picture = m_quickDefaultRGBImage;
    else if (m_quickMonitorMatch && !m_quickMonitorImage.isNull())
        picture = m_quickMonitorImage;
    else if (!m_prettyDisplayImage.isNull())
        picture = m_prettyDisplayImage;
    else
        picture = m_displayImage;
    const QPoint p = itemPoint - m_imageOffset;
    // The samples stay one short of the last column and row, so a picture of
    // one pixel in either direction has none.
    if (picture.isNull() || !picture.rect().contains(p) || picture.width() < 2
        || picture.height() < 2)
        return {};
    radius = qBound(0, radius, 1000);
    double sum[3] = {0, 0, 0};
    for (int y = p.y() - radius; y <= p.y() + radius; ++y) {
        const int row = qBound(0, y, picture.height() - 2);
        for (int x = p.x() - radius; x <= p.x() + radius; ++x) {
            const QRgb c = picture.pixel(qBound(0, x, picture.width() - 2), row);
            sum[0] += qRed(c) / 255.0;
            sum[1] += qGreen(c) / 255.0;
            sum[2] += qBlue(c) / 255.0;
        }
    }
    const double n = double(2 * radius + 1) * double(2 * radius + 1);
    return {sum[0] / n, sum[1] / n, sum[2] / n};
}

void pq_ImageWidget::mousePressEvent(QMouseEvent *event)
{
    if (m_pixmap && !m_pixmap->isNull() && m_imageMovable) {
        m_dragging = true;
        m_lastMousePosition = event->pos();
        event->accept();
        return;
    }
    QckWidget::mousePressEvent(event);
}

void pq_ImageWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging && m_pixmap && m_imageMovable) {
        m_imageOffset += event->pos() - m_lastMousePosition;
        m_lastMousePosition = event->pos();
        repaintNow();
        event->accept();
        return;
    }
    QckWidget::mouseMoveEvent(event);
}

void pq_ImageWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragging) {
        m_dragging = false;
        event->accept();
        return;
    }
    QckWidget::mouseReleaseEvent(event);
}

void pq_ImageWidget::dragEnterEvent(QDragEnterEvent *event)
{
    const QMimeData *mime = event->mimeData();
    if (mime && mime->hasText() && mime->text().startsWith(QLatin1String("file")))
        event->acceptProposedAction();
}

void pq_ImageWidget::dragMoveEvent(QDragMoveEvent *event)
{
    const QMimeData *mime = event->mimeData();
    if (mime && mime->hasText() && mime->text().startsWith(QLatin1String("file")))
        event->acceptProposedAction();
}

void pq_ImageWidget::dragLeaveEvent(QDragLeaveEvent *event) { event->accept(); }

void pq_ImageWidget::dropEvent(QDropEvent *event)
{
    const QMimeData *mime = event->mimeData();
    if (!mime || !mime->hasText())
        return;
    const QUrl url(mime->text());
    if (!url.isLocalFile())
        return;
    event->acceptProposedAction();
    emit signalFileDropped(url.toLocalFile());
}

QString pq_ImageWidget::defaultRGBProfilePath() const { return m_defaultRGBProfilePath; }
const Kirr_ColorProfileIF *pq_ImageWidget::imageProfile() const { return m_imageProfile; }
Kirr_ColorMatchIF *pq_ImageWidget::monitorMatch() const { return m_monitorMatch; }
double pq_ImageWidget::scaleFactor() const { return m_scaleFactor; }
int pq_ImageWidget::rotationAngle() const { return m_rotationAngle; }

QSize pq_ImageWidget::pixmapSize() const
{
    QMutexLocker lock(&m_mutex);
    return m_pixmap ? m_pixmap->size() : QSize(-1, -1);
}

const double *pq_ImageWidget::imageRGBFactorData() const
{
    return m_imageRGBFactors.size() == 3 ? m_imageRGBFactors.constData() : nullptr;
}

QPointF pq_ImageWidget::imageToItem(double x, double y) const
{
    return QPointF(imageToItemX(x), imageToItemY(y));
}

double pq_ImageWidget::imageToItemX(double x) const { return m_imageOffset.x() + x * m_scaleFactor; }
double pq_ImageWidget::imageToItemY(double y) const { return m_imageOffset.y() + y * m_scaleFactor; }
QPoint pq_ImageWidget::imageOffset() const { return m_imageOffset; }

void pq_ImageWidget::setChannelFactor(int index, double value)
{
    if (index >= 0 && index <= 2)
        m_displayChannelFactors[index] = value;
}

void pq_ImageWidget::clearChannelFactors()
{
    m_displayChannelFactors[0] = m_displayChannelFactors[1] = m_displayChannelFactors[2] = 0;
}

const double *pq_ImageWidget::displayChannelFactors() const { return m_displayChannelFactors; }
void pq_ImageWidget::setDisplayGain(double gain) { m_displayGain = gain; }
double pq_ImageWidget::displayGain() const { return m_displayGain; }
void pq_ImageWidget::resetDisplayGain() { m_displayGain = 1.0; }
int pq_ImageWidget::isQuickProfileNeeded() const { return m_quickProfileNeeded; }
double pq_ImageWidget::bestQuickProfileError() const { return m_bestQuickProfileError; }
QImage pq_ImageWidget::displayImage() const { return m_displayImage; }
const RawImageIF *pq_ImageWidget::displayPixelData() const { return m_displayPixelData; }
pq_JobIF *pq_ImageWidget::job() const { return m_job; }
bool pq_ImageWidget::isImageMovable() const { return m_imageMovable; }
