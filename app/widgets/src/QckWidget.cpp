#include "widgets/QckWidget.h"

#include <QPainter>

QckWidget::QckWidget(QQuickItem *parent) : QQuickPaintedItem(parent) {}

QckWidget::~QckWidget() = default;

void QckWidget::setRepaintTarget(QQuickPaintedItem *target) { m_repaintTarget = target; }

QQuickPaintedItem *QckWidget::repaintTarget() const { return m_repaintTarget; }

void QckWidget::setRepaintDeferred(bool deferred)
{
    m_repaintDeferred = deferred;
    if (!deferred && m_repaintPending && !m_painting)
        requestRepaint();
}

bool QckWidget::isRepaintDeferred() const { return m_repaintDeferred; }

bool QckWidget::isRepaintPending() const { return m_repaintPending; }

void QckWidget::requestRepaint()
{
    if (m_repaintDeferred || m_painting) {
        m_repaintPending = true;
        return;
    }
    repaintNow();
}

void QckWidget::repaintNow()
{
    m_repaintPending = false;
    if (m_repaintTarget)
        m_repaintTarget->update();
    emit repaintRequested();
}

QImage QckWidget::renderImage()
{
    const int w = qMax(1, int(width()));
    const int h = qMax(1, int(height()));
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    m_painting = true;
    {
        QPainter painter(&image);
        paint(&painter);
    }
    m_painting = false;
    if (m_repaintPending && !m_repaintDeferred)
        repaintNow();
    return image;
}
