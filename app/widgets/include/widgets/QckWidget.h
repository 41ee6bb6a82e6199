// Base of the picture engines that an owning Qt Quick item shows: the item to
// repaint and the deferral of repaint requests while a paint runs.
//
// The engine is never part of a scene. Its owner keeps the engine's size equal
// to its own, forwards input to it, and has it paint into an image on the GUI
// thread (renderImage, from the owner's polish step), so that measuring,
// engine calls, file writes and signals never run on a render thread.
#pragma once

#include <QImage>
#include <QQuickPaintedItem>

class QckWidget : public QQuickPaintedItem
{
    Q_OBJECT

public:
    explicit QckWidget(QQuickItem *parent = nullptr);
    ~QckWidget() override;

    // The visible item whose update() is called when the picture changes.
    void setRepaintTarget(QQuickPaintedItem *target);
    QQuickPaintedItem *repaintTarget() const;

    // While deferred, a repaint request is only remembered; clearing the flag
    // carries out a remembered request.
    void setRepaintDeferred(bool deferred);
    bool isRepaintDeferred() const;
    bool isRepaintPending() const;

    // Paints the engine into a new image of its own size (at least 1 x 1).
    // Repaint requests raised during the paint are carried out after it.
    QImage renderImage();

signals:
    // A repaint request was carried out: the owner renders again (from its
    // polish step) before its next frame.
    void repaintRequested();

protected:
    // Repaint request: remembered while deferred or painting, else the repaint
    // target is updated at once.
    void requestRepaint();
    // Updates the repaint target at once (pans and drags).
    void repaintNow();

private:
    QQuickPaintedItem *m_repaintTarget = nullptr;
    bool m_repaintDeferred = false;
    bool m_repaintPending = false;
    bool m_painting = false;
};
