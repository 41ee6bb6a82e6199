#include "items/CppZoomedArea.h"

#include "items/pq_ItemHost.h"

#include <QPainter>

#include <cmath>

CppZoomedArea::CppZoomedArea(QQuickItem* parent)
    : QQuickPaintedItem(parent), m_magnified(256, 256, QImage::Format_RGB32)
{
    m_magnified.fill(Qt::black);
    pq_ItemHost::instance()->registerMagnifier(this, this);
}

CppZoomedArea::~CppZoomedArea() { pq_ItemHost::instance()->registerMagnifier(nullptr, this); }

void CppZoomedArea::setImage(const QImage& sample, const QVector<double>& colour)
{
    m_sample = sample;
    m_colour = colour;
    updateSample();
    update();
}

void CppZoomedArea::updateSample()
{
    if (m_sample.size() != m_sampleSize)
        return;
    m_magnified = m_sample.scaled(m_sampleSize * m_pixelSize, Qt::IgnoreAspectRatio,
                                  Qt::FastTransformation);
    m_centerPixelx = m_pixelSize * (m_sampleSize.width() / 2);
    m_centerPixely = m_pixelSize * (m_sampleSize.height() / 2);
    auto byte = [this](int i) {
        if (m_colour.size() <= i)
            return 0u;
        const long v = std::lround(m_colour[i] * 255);
        return unsigned(std::clamp(v, 0L, 255L));
    };
    const unsigned value = 0xff000000u | (byte(0) << 16) | (byte(1) << 8) | byte(2);
    m_pixelColor = QLatin1Char('#') + QString::number(value, 16).toLower();
    auto percent = [this](int i) {
        if (m_colour.size() <= i)
            return QString();
        return QStringLiteral("%1%").arg(m_colour[i] * 100, 5, 'f', 1, QLatin1Char(' '));
    };
    m_pixelRed = percent(0);
    m_pixelGreen = percent(1);
    m_pixelBlue = percent(2);
    emit signalPixelChanged();
}

void CppZoomedArea::paint(QPainter* painter)
{
    if (!m_sample.isNull())
        painter->drawImage(0, 0, m_magnified);
}
