#include "items/CppTargetIconProvider.h"

#include "items/pq_ItemHost.h"
#include "jobs/pq_JobIF.h"
#include "jobs/pq_targetIcon.h"

#include <QPainter>

namespace {

QPixmap wrongImage()
{
    QPixmap pixmap(QStringLiteral(":/images/wrong-image.png"));
    if (!pixmap.isNull())
        return pixmap;
    // Without the program's picture: a grey card crossed out.
    pixmap = QPixmap(100, 50);
    pixmap.fill(QColor(0x80, 0x80, 0x80));
    QPainter painter(&pixmap);
    painter.setPen(QPen(QColor(0xc0, 0x20, 0x20), 3));
    painter.drawLine(10, 5, 90, 45);
    painter.drawLine(10, 45, 90, 5);
    return pixmap;
}

}  // namespace

CppTargetIconProvider::CppTargetIconProvider() : QQuickImageProvider(QQuickImageProvider::Pixmap) {}

QPixmap CppTargetIconProvider::requestPixmap(const QString& id, QSize* size, const QSize&)
{
    if (size)
        *size = QSize(100, 50);
    QString name;
    int index = 0;
    pq_splitTargetIconId(id, &name, &index);
    QPixmap pixmap;
    if (!name.isEmpty()) {
        if (pq_JobIF* job = pq_ItemHost::instance()->findJobByName(name))
            pixmap = job->targetPixmap(index);
    }
    // An unknown job, or a target index the job does not have.
    if (pixmap.isNull())
        pixmap = wrongImage();
    if (size)
        *size = pixmap.size();
    return pixmap;
}
