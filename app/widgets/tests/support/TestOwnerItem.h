// The widget owned as the QML item owns it: the owner forwards its size and
// input, has the engine paint into an image in its polish step on the GUI
// thread, and only draws that image in its own paint.
#pragma once

#include "widgets/pq_ImagePatchGridWidget.h"

#include <QImage>
#include <QPainter>
#include <QQuickPaintedItem>

class TestOwnerItem : public QQuickPaintedItem
{
    Q_OBJECT

public:
    explicit TestOwnerItem(QQuickItem *parent = nullptr) : QQuickPaintedItem(parent)
    {
        engine.setRepaintTarget(this);
        connect(&engine, &QckWidget::repaintRequested, this, [this] {
            ++updateRequests;
            polish();
        });
    }

    void resizeTo(QSizeF size)
    {
        setSize(size);
        engine.setSize(size);
    }

    // The picture as the owner would show it next.
    QImage render() { return engine.renderImage(); }

    void paint(QPainter *painter) override { painter->drawImage(0, 0, m_frame); }

    pq_ImagePatchGridWidget engine;
    int updateRequests = 0;

protected:
    void updatePolish() override { m_frame = engine.renderImage(); }

private:
    QImage m_frame;
};
