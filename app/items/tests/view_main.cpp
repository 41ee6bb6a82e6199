// One look at the chart image item in a real window: a chart shot is loaded,
// the grid placed, and the window's frame kept in VP_ITEM_PICTURE when set.
#include "items/CppImageWidget.h"
#include "items/pq_ItemHost.h"
#include "items/pq_registerItems.h"

#include "ChartShot.h"
#include "QuietHost.h"

#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickView>
#include <QSet>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    ChartShotSpec spec;
    spec.cell = 40;
    spec.margin = 40;
    const ChartShot shot = makeChartShot(spec);
    OneTargetJob job(QStringLiteral("Studio"));
    job.info.columns = spec.columns;
    job.info.rows = spec.rows;
    job.setTargetTexts(spec.columns, spec.rows, shot.definition, shot.reference);
    job.setChartImage(shot.image);
    job.grid.setImageSize(QSize(shot.image.width(), shot.image.height()));
    job.grid.setGridSize(spec.rows, spec.columns);
    QuietHost host;
    host.job = &job;
    pq_ItemHost::setInstance(&host);
    pq_registerQmlItems();

    QQuickView view;
    view.setResizeMode(QQuickView::SizeRootObjectToView);
    view.setColor(Qt::white);
    view.resize(480, 360);
    auto* item = new CppImageWidget(view.contentItem());
    item->setSize(QSizeF(480, 360));
    item->setJobByName(QStringLiteral("Studio"));
    emit job.chartImageLoaded(true, QString());
    view.show();

    int result = 1;
    QTimer::singleShot(1500, &application, [&] {
        const QImage frame = view.grabWindow();
        const QByteArray path = qgetenv("VP_ITEM_PICTURE");
        if (!path.isEmpty())
            frame.save(QString::fromLocal8Bit(path));
        // The chart shows: the frame holds more than the background.
        QSet<QRgb> colours;
        for (int y = 0; y < frame.height(); y += 4)
            for (int x = 0; x < frame.width(); x += 4)
                colours.insert(frame.pixel(x, y));
        result = colours.size() > 10 ? 0 : 1;
        if (result)
            std::fputs("the item showed no chart\n", stderr);
        application.quit();
    });
    application.exec();
    delete item;
    pq_ItemHost::setInstance(nullptr);
    return result;
}
