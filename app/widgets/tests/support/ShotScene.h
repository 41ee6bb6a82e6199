// A chart shot placed in a fake job and shown by an owned patch-grid widget,
// the grid laid exactly on the shot's patches.
#pragma once

#include "ChartShot.h"
#include "FakeJob.h"
#include "TestOwnerItem.h"

#include <QString>

#include <cmath>
#include <memory>

struct ShotScene
{
    explicit ShotScene(const ChartShotSpec &spec, QSizeF itemSize = QSizeF())
        : shot(makeChartShot(spec))
    {
        job.setTargetTexts(spec.columns, spec.rows, shot.definition, shot.reference);
        job.setChartImage(shot.image);
        job.grid.setImageSize(QSize(shot.image.width(), shot.image.height()));
        job.grid.setGridSize(spec.rows, spec.columns);
        auto round = [](QPointF p) { return QPoint(int(std::lround(p.x())), int(std::lround(p.y()))); };
        job.grid.setCorners(round(shot.corners[0]), round(shot.corners[1]),
                            round(shot.corners[2]), round(shot.corners[3]));
        owner.resizeTo(itemSize.isEmpty() ? QSizeF(shot.image.width(), shot.image.height())
                                          : itemSize);
        owner.engine.setJob(&job);
        owner.engine.setPixmap(&job.chartPixmap(), &shot.image);
        owner.render();
    }

    // Item position of the centre of cell (column, row).
    QPointF cellInItem(int column, int row) const
    {
        const QPointF p = shot.cellCentre(column, row);
        return owner.engine.imageToItem(p.x(), p.y());
    }

    ChartShot shot;
    FakeJob job;
    TestOwnerItem owner;
};

// Keeps a rendering for a look by eye when VP_WIDGET_PICTURES names a folder.
inline void keepPicture(const QImage &image, const QString &name)
{
    const QByteArray folder = qgetenv("VP_WIDGET_PICTURES");
    if (!folder.isEmpty())
        image.save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + name);
}
