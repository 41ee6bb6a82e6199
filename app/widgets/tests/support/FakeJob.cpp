#include "FakeJob.h"

#include "jobs/pq_Job.h"

FakeJob::FakeJob() = default;

FakeJob::~FakeJob() = default;

void FakeJob::setTargetTexts(int columns, int rows, const QString &definition,
                             const QString &reference)
{
    m_columns = columns;
    m_rows = rows;
    m_definition = definition;
    m_reference = reference;
    target = Target();
    target.setColumns(unsigned(columns));
    target.setRows(unsigned(rows));
    loadTargetData(false);
    loadTargetDataCalls.clear();
}

void FakeJob::setChartImage(const RawImage &image)
{
    m_chart = image;
    QImage display(image.width(), image.height(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            display.setPixel(x, y, qRgb(image.sample8(x, y, 0), image.sample8(x, y, 1),
                                        image.sample8(x, y, 2)));
    m_pixmap = QPixmap::fromImage(display);
    m_stretched = QPixmap();
}

void FakeJob::setChartImage(const RawImage &image, const QPixmap &preview,
                            const QPixmap &stretched)
{
    m_chart = image;
    m_pixmap = preview;
    m_stretched = stretched;
}

void FakeJob::setC1Image(const RawImage &image) { m_c1 = image; }

int FakeJob::loadTargetData(bool transposeReference)
{
    callThreads.append(QThread::currentThreadId());
    loadTargetDataCalls.append(transposeReference);
    QString reference = m_reference;
    if (transposeReference)
        pq_Job::reorderDataBlock(reference, QStringLiteral("TLR"), m_rows, m_columns,
                                 m_rows * m_columns);
    if (target.loadReferenceFromISO12642(reference, TargetIF::ReadCounting) != 0)
        return 5;
    if (target.loadDefFromISO12642(m_definition) != 0)
        return 7;
    return int(target.loadReferenceFromISO12642(reference, TargetIF::ReadValues));
}

void FakeJob::setToneCurveLut(const Kirr_BezierLut &lut) { m_lut.reset(new Kirr_BezierLut(lut)); }

const Kirr_BezierLut *FakeJob::toneCurveLut() const { return m_lut.get(); }

void FakeJob::setToneCurveSpline(const Kirr_Spline1 &spline)
{
    m_spline.reset(new Kirr_Spline1(spline));
}

const Kirr_Spline1 *FakeJob::toneCurveSpline() const { return m_spline.get(); }

void FakeJob::savePatchGrid(int mode)
{
    callThreads.append(QThread::currentThreadId());
    savePatchGridCalls.append(mode);
}

bool FakeJob::extractFilmCurve(Kirr_ColorCurve &, const QString &)
{
    callThreads.append(QThread::currentThreadId());
    ++extractFilmCurveCalls;
    filmCurveAvailable = true;
    return true;
}
