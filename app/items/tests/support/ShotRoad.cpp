#include "ShotRoad.h"

#include "ColorCheckerTarget.h"
#include "QuietHost.h"

#include "chart/Image.h"
#include "items/CppImageWidget.h"
#include "widgets/pq_ImagePatchGridWidget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <chrono>
#include <cmath>

namespace {

// A host that keeps what the item tells the user.
class TellingHost : public QuietHost {
public:
    void alertCritical(const QString& title, const QString& message) override
    {
        told.append(title + QStringLiteral(": ") + message);
    }
    void alertWarning(const QString& title, const QString& message) override
    {
        told.append(title + QStringLiteral(": ") + message);
    }
    QStringList told;
};

// Picture fractions of a point given as fractions of the frame turned
// clockwise by rotation degrees.
QPointF unturned(QPointF p, int rotation)
{
    switch (rotation) {
    case 90: return {p.y(), 1 - p.x()};
    case 180: return {1 - p.x(), 1 - p.y()};
    case 270: return {1 - p.y(), p.x()};
    default: return p;
    }
}

// The truth's corners in the order a grid whose first cell holds the first
// patch lists them; false when the chart's first patch is unknown or the
// chart cannot be laid as the template (columns x rows) by turning alone.
bool expectedCorners(const ShotTruth& truth, int first, int columns, int rows, QPointF out[4])
{
    // Corner c is lattice node (c % 2, c / 2); its neighbours along x and y
    // are c ^ 1 and c ^ 2. The grid runs from the first corner to the
    // neighbour that keeps the picture's handedness.
    const int alongX = first ^ 1, alongY = first ^ 2;
    const double ax = (alongX % 2) - (first % 2), by = (alongY / 2) - (first / 2);
    // cross((ax, 0), (0, by)) = ax * by: positive keeps the handedness.
    const bool xFirst = ax * by > 0;
    const int next = xFirst ? alongX : alongY, other = xFirst ? alongY : alongX;
    const int span = xFirst ? truth.columns : truth.rows;
    if (span != columns || (xFirst ? truth.rows : truth.columns) != rows)
        return false;
    const int order[4] = {first, next, other, first ^ 3};
    for (int i = 0; i < 4; ++i)
        out[i] = QPointF(truth.x[size_t(order[i])], truth.y[size_t(order[i])]);
    return true;
}

}  // namespace

bool readShotTruth(const QString& path, ShotTruth* truth, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("cannot open %1").arg(path);
        return false;
    }
    QString body;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (!line.startsWith(QLatin1Char('#')))
            body += line + QLatin1Char(' ');
    }
    const QStringList words = body.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    bool ok = words.size() >= 10;
    ShotTruth t;
    if (ok) {
        t.columns = words[0].toInt(&ok);
        if (ok)
            t.rows = words[1].toInt(&ok);
        for (int k = 0; ok && k < 4; ++k) {
            t.x[size_t(k)] = words[2 + 2 * k].toDouble(&ok);
            if (ok)
                t.y[size_t(k)] = words[3 + 2 * k].toDouble(&ok);
        }
    }
    if (!ok || t.columns < 1 || t.rows < 1) {
        *error = QStringLiteral("%1: expected columns, rows and four corners").arg(path);
        return false;
    }
    if (words.size() >= 12 && words[10] == QLatin1String("first")) {
        static const char* const names[4] = {"TL", "TR", "BL", "BR"};
        for (int k = 0; k < 4; ++k)
            if (words[11] == QLatin1String(names[k]))
                t.first = k;
    }
    *truth = t;
    return true;
}

QStringList shotsWithTruth(const QString& folder)
{
    QStringList shots;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo& file : files)
        if (!file.fileName().endsWith(QLatin1String(".txt"), Qt::CaseInsensitive) &&
            QFileInfo::exists(file.absoluteFilePath() + QStringLiteral(".txt")))
            shots.append(file.absoluteFilePath());
    return shots;
}

const char* shotVerdictName(ShotVerdict verdict)
{
    switch (verdict) {
    case ShotVerdict::Found: return "found";
    case ShotVerdict::Wrong: return "WRONG";
    case ShotVerdict::NotPlaced: return "not placed";
    case ShotVerdict::Unreadable: break;
    }
    return "unreadable";
}

ShotOutcome runShotRoad(const QString& shotPath, const ShotTruth& truth)
{
    ShotOutcome outcome;
    const QString reference = colorCheckerReferenceText();
    if (reference.isEmpty()) {
        outcome.note = QStringLiteral("the reference file %1 is missing")
                           .arg(QString::fromLatin1(kColorCheckerReference));
        return outcome;
    }
    Image image;
    if (image.loadImage(shotPath, false) != Image::imageLoaded || image.rawImage().width() <= 0) {
        outcome.note = QStringLiteral("the image loader cannot read it");
        return outcome;
    }
    // The previews, as the loader's worker makes them.
    image.createPixmapFromRawImage();
    constexpr int columns = 6, rows = 4;
    TellingHost host;
    pq_ItemHost* previous = pq_ItemHost::instance();
    pq_ItemHost::setInstance(&host);
    {
        OneTargetJob job(QStringLiteral("Shot"));
        job.info.columns = columns;
        job.info.rows = rows;
        job.info.referenceData = reference;
        job.setTargetTexts(columns, rows, colorCheckerDefinition(), reference);
        const RawImage& raw = image.rawImage();
        job.setChartImage(raw, image.preview(), image.stretchedPreview());
        job.grid.setImageSize(QSize(raw.width(), raw.height()));
        job.grid.setGridSize(rows, columns);
        host.job = &job;
        CppImageWidget item;
        item.setSize(QSizeF(1200, 800));
        item.setJobByName(QStringLiteral("Shot"));
        const auto start = std::chrono::steady_clock::now();
        emit job.chartImageLoaded(true, QString());
        outcome.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                               start).count();
        outcome.rotation = item.engine()->rotationAngle();
        const bool turned = outcome.rotation % 180 != 0;
        const double w = turned ? raw.height() : raw.width();
        const double h = turned ? raw.width() : raw.height();
        static const int points[4] = {0, 2, 6, 4};
        QPointF placed[4];
        for (int i = 0; i < 4; ++i) {
            const QPoint p = job.grid.controlPoint(points[i]);
            placed[i] = unturned(QPointF(p.x() / w, p.y() / h), outcome.rotation);
        }
        // Unknown first patch: any corner that lays the chart as the template.
        double worst = 1e9;
        for (int first = 0; first < 4; ++first) {
            if (truth.first >= 0 && first != truth.first)
                continue;
            QPointF want[4];
            if (!expectedCorners(truth, first, columns, rows, want))
                continue;
            double off = 0;
            for (int i = 0; i < 4; ++i)
                off = std::max(off, std::hypot((placed[i].x() - want[i].x()) * raw.width(),
                                               (placed[i].y() - want[i].y()) * raw.height()));
            worst = std::min(worst, off);
        }
        outcome.worstCorner = 100 * worst / std::hypot(raw.width(), raw.height());
        outcome.note = host.told.join(QStringLiteral("; "));
        if (!host.told.isEmpty())
            outcome.verdict = ShotVerdict::NotPlaced;
        else
            outcome.verdict = outcome.worstCorner <= 1.0 ? ShotVerdict::Found : ShotVerdict::Wrong;
        host.job = nullptr;
    }
    pq_ItemHost::setInstance(previous);
    return outcome;
}
