#include "FakeItems.h"

#include <QPainter>
#include <QtQml>

namespace {

const QColor checker[24] = {
    {115, 82, 68},   {194, 150, 130}, {98, 122, 157},  {87, 108, 67},   {133, 128, 177}, {103, 189, 170},
    {214, 126, 44},  {80, 91, 166},   {193, 90, 99},   {94, 60, 108},   {157, 188, 64},  {224, 163, 46},
    {56, 61, 150},   {70, 148, 73},   {175, 54, 60},   {231, 199, 31},  {187, 86, 149},  {8, 133, 161},
    {243, 243, 242}, {200, 200, 200}, {160, 160, 160}, {122, 122, 121}, {85, 85, 85},    {52, 52, 52},
};

} // namespace

FakeImageWidget::FakeImageWidget(QQuickItem* parent) : QQuickPaintedItem(parent)
{
    setAcceptedMouseButtons(Qt::AllButtons);
    setAcceptHoverEvents(true);
    connect(this, &FakeImageWidget::qualityColoursChanged, this, [this] { update(); });
    connect(this, &FakeImageWidget::signalGreenDeltaChecked, this, [this] { update(); });
    connect(this, &FakeImageWidget::signalYellowDeltaChecked, this, [this] { update(); });
    connect(this, &FakeImageWidget::signalRedDeltaChecked, this, [this] { update(); });
}

void FakeImageWidget::setAction(const QString& command)
{
    m_action = command;
    m_actions.append(command);
    if (command == QLatin1String("zoomIn"))
        m_zoom *= 1.25;
    else if (command == QLatin1String("zoomOut"))
        m_zoom /= 1.25;
    else if (command == QLatin1String("rotateCW"))
        m_rotation = (m_rotation + 90) % 360;
    else if (command == QLatin1String("rotateCCW"))
        m_rotation = (m_rotation + 270) % 360;
    emit actionsChanged();
    update();
}

void FakeImageWidget::clearActions()
{
    m_actions.clear();
    emit actionsChanged();
}

void FakeImageWidget::setGreenDelta(bool on)
{
    m_green = on;
    emit signalGreenDeltaChecked(on);
}

void FakeImageWidget::setYellowDelta(bool on)
{
    m_yellow = on;
    emit signalYellowDeltaChecked(on);
}

void FakeImageWidget::setRedDelta(bool on)
{
    m_red = on;
    emit signalRedDeltaChecked(on);
}

void FakeImageWidget::qaSliderChanged(double value)
{
    m_slider = value;
    emit signalDeltaEChanged();
}

void FakeImageWidget::paint(QPainter* painter)
{
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillRect(boundingRect(), QColor(60, 62, 66));
    const bool turned = m_rotation % 180 != 0;
    const qreal aspect = turned ? 4.0 / 6.0 : 6.0 / 4.0;
    qreal w = width() * 0.8 * m_zoom;
    qreal h = w / aspect;
    if (h > height() * 0.8 * m_zoom) {
        h = height() * 0.8 * m_zoom;
        w = h * aspect;
    }
    painter->save();
    painter->translate(width() / 2, height() / 2);
    painter->rotate(m_rotation);
    const qreal cw = turned ? h : w;
    const qreal ch = turned ? w : h;
    const QRectF chart(-cw / 2, -ch / 2, cw, ch);
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(20, 20, 22));
    painter->drawRect(chart.adjusted(-cw * 0.04, -ch * 0.05, cw * 0.04, ch * 0.05));
    const qreal pw = cw / 6;
    const qreal ph = ch / 4;
    for (int i = 0; i < 24; ++i) {
        const QRectF patch(chart.left() + (i % 6) * pw, chart.top() + (i / 6) * ph, pw, ph);
        painter->setBrush(checker[i]);
        painter->drawRect(patch.adjusted(pw * 0.1, ph * 0.1, -pw * 0.1, -ph * 0.1));
        if (m_qualityColours) {
            static const QColor verdicts[3] = {{60, 180, 75}, {242, 197, 0}, {224, 60, 49}};
            const QColor verdict = verdicts[(i * 7) % 3];
            const bool shown = (verdict == verdicts[0] && m_green) || (verdict == verdicts[1] && m_yellow)
                || (verdict == verdicts[2] && m_red);
            if (shown) {
                QPolygonF triangle;
                triangle << patch.topLeft() + QPointF(pw * 0.1, ph * 0.1)
                         << patch.topLeft() + QPointF(pw * 0.45, ph * 0.1)
                         << patch.topLeft() + QPointF(pw * 0.1, ph * 0.45);
                painter->setBrush(verdict);
                painter->drawPolygon(triangle);
            }
        }
    }
    // The grid with its four corner handles.
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(QColor(232, 113, 44), 2));
    for (int c = 0; c <= 6; ++c)
        painter->drawLine(QPointF(chart.left() + c * pw, chart.top()), QPointF(chart.left() + c * pw, chart.bottom()));
    for (int r = 0; r <= 4; ++r)
        painter->drawLine(QPointF(chart.left(), chart.top() + r * ph), QPointF(chart.right(), chart.top() + r * ph));
    painter->setBrush(QColor(232, 113, 44));
    for (const QPointF& corner : {chart.topLeft(), chart.topRight(), chart.bottomLeft(), chart.bottomRight()})
        painter->drawEllipse(corner, 6, 6);
    painter->restore();
}

FakeZoomedArea::FakeZoomedArea(QQuickItem* parent) : QQuickPaintedItem(parent)
{
}

void FakeZoomedArea::paint(QPainter* painter)
{
    // 32 x 32 sample pixels of 8 x 8: a patch edge through the middle.
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const bool inPatch = x + y / 3 < 24;
            const int noise = ((x * 31 + y * 17) % 9) - 4;
            const QColor colour = inPatch ? QColor(194 + noise, 90 + noise, 60 + noise) : QColor(24, 24, 26);
            painter->fillRect(QRect(x * 8, y * 8, 8, 8), colour);
        }
    }
}

void registerFakeItems()
{
    qmlRegisterType<FakeImageWidget>("CppImage", 1, 0, "CppImageWidget");
    qmlRegisterType<FakeZoomedArea>("CppZoomedArea", 1, 0, "CppZoomedArea");
}
