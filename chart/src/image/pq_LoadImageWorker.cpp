#include <chart/BoundedFile.h>
#include <chart/ImageMetadata.h>
#include <chart/pq_LoadImageWorker.h>

#include <engine/target_image.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

constexpr double kDecodeShare = 0.9;

}  // namespace

pq_LoadImageWorker::pq_LoadImageWorker(Image* target, const QString& path, const QString& tempFolder,
                                       bool normalizeTiff, int patchColumns, int patchRows,
                                       QObject* parent)
    : QObject(parent),
      m_target(target),
      m_path(path),
      m_tempFolder(tempFolder),
      m_normalizeTiff(normalizeTiff),
      m_columns(patchColumns),
      m_rows(patchRows)
{
}

pq_LoadImageWorker::~pq_LoadImageWorker() = default;

void pq_LoadImageWorker::requestCancel()
{
    m_cancel = true;
}

bool pq_LoadImageWorker::isCancelRequested()
{
    return m_cancel;
}

void pq_LoadImageWorker::progressHook(void* worker, double fraction)
{
    auto* self = static_cast<pq_LoadImageWorker*>(worker);
    // Only rising values go out; the decoder and the preview each start their
    // own range.
    if (fraction <= self->m_lastProgress)
        return;
    self->m_lastProgress = fraction;
    emit self->progress(fraction);
}

bool pq_LoadImageWorker::abortHook(void* worker)
{
    return static_cast<pq_LoadImageWorker*>(worker)->isCancelRequested();
}

bool pq_LoadImageWorker::loadSyntheticChart(Image& image)
{
    // Profiles and target texts are small; anything larger is not one.
    const chart::FileRead read = chart::readBoundedFile(m_path);
    if (!read.ok())
        return false;
    const QByteArray& bytes = read.bytes;
    const QString suffix = QFileInfo(m_path).suffix().toLower();
    const QByteArray text =
        suffix == QLatin1String("txt")
            ? bytes
            : iccTargetText(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                            std::size_t(bytes.size()));
    if (text.isEmpty() || isCancelRequested())
        return false;

    if (!QDir().mkpath(m_tempFolder))
        return false;
    QTemporaryDir folder(QDir(m_tempFolder).filePath(QStringLiteral("chart-XXXXXX")));
    if (!folder.isValid())
        return false;
    const QString tiffPath = folder.filePath(QFileInfo(m_path).completeBaseName() + QStringLiteral(".tif"));
    if (write_target_image(text.constData(), std::size_t(text.size()), m_columns, m_rows,
                           tiffPath.toUtf8().constData())
        != TARGET_IMAGE_OK)
        return false;
    return image.loadImage(tiffPath, m_normalizeTiff) == Image::imageLoaded;
}

void pq_LoadImageWorker::loadImage()
{
    Image image;
    image.setLoadHooks(&pq_LoadImageWorker::progressHook, &pq_LoadImageWorker::abortHook, this);
    image.setDecodeEndFraction(kDecodeShare);
    image.setPreviewEndFraction(1.0);
    m_lastProgress = -1.0;

    const QString suffix = QFileInfo(m_path).suffix().toLower();
    bool loaded = false;
    if (!isCancelRequested()) {
        if (suffix == QLatin1String("icc") || suffix == QLatin1String("txt"))
            loaded = loadSyntheticChart(image);
        else
            loaded = image.loadImage(m_path, m_normalizeTiff) == Image::imageLoaded;
    }
    if (loaded && !isCancelRequested())
        image.createPixmapFromRawImage();
    if (isCancelRequested())
        loaded = false;
    if (loaded && m_target)
        m_target->swap(image);
    emit success(loaded);
    emit finished();
}
