#include "items/CppTargetIconProvider.h"

#include "items/pq_ItemHost.h"
#include "jobs/pq_JobIF.h"

#include <QPainter>
#include <QUrl>

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

QString CppTargetIconProvider::targetIconId(const QString& jobName, int index)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(jobName)) + QLatin1Char('.') +
           QString::number(index);
}

QPixmap CppTargetIconProvider::requestPixmap(const QString& id, QSize* size, const QSize&)
{
    if (size)
        *size = QSize(100, 50);
    const int dot = id.lastIndexOf(QLatin1Char('.'));
    int index = 0;
    QString name = id;
    if (dot >= 0) {
        bool ok = false;
        index = id.mid(dot + 1).toInt(&ok, 10);
        if (!ok)
            index = 0;
        name = id.left(dot);
    }
    // Names arrive percent-encoded so that "#", "?" and "%" survive the URL.
    name = QUrl::fromPercentEncoding(name.toUtf8());
    QPixmap pixmap;
    if (!name.isEmpty()) {
        if (pq_JobIF* job = pq_ItemHost::instance()->findJobByName(name))
            pixmap = job->targetPixmap(index);
        else
            pixmap = wrongImage();
    } else {
        pixmap = wrongImage();
    }
    if (size)
        *size = pixmap.size();
    return pixmap;
}
