#pragma once
// The colour picker's magnifier: a square of the chart image around the
// picked point, each sample pixel drawn as a block, with the picked colour as
// "#" text and as red, green and blue percentages.

#include "controller/pq_ImageItemIF.h"

#include <QImage>
#include <QQuickPaintedItem>
#include <QSize>
#include <QString>
#include <QVector>

class CppZoomedArea : public QQuickPaintedItem, public pq_MagnifierIF {
    Q_OBJECT
    Q_PROPERTY(int pixelSize READ pixelSize NOTIFY signalPixelChanged)
    Q_PROPERTY(QString pixelColor READ pixelColor NOTIFY signalPixelChanged)
    Q_PROPERTY(int sampleWidth READ sampleWidth NOTIFY signalPixelChanged)
    Q_PROPERTY(int sampleHeight READ sampleHeight NOTIFY signalPixelChanged)
    Q_PROPERTY(int centerPixelx READ centerPixelx NOTIFY signalPixelChanged)
    Q_PROPERTY(int centerPixely READ centerPixely NOTIFY signalPixelChanged)
    Q_PROPERTY(QString pixelRed READ pixelRed NOTIFY signalPixelChanged)
    Q_PROPERTY(QString pixelGreen READ pixelGreen NOTIFY signalPixelChanged)
    Q_PROPERTY(QString pixelBlue READ pixelBlue NOTIFY signalPixelChanged)

public:
    explicit CppZoomedArea(QQuickItem* parent = nullptr);
    ~CppZoomedArea() override;

    int pixelSize() const { return m_pixelSize; }
    QString pixelColor() const { return m_pixelColor; }
    int sampleWidth() const { return m_sampleSize.width() * m_pixelSize; }
    int sampleHeight() const { return m_sampleSize.height() * m_pixelSize; }
    int centerPixelx() const { return m_centerPixelx; }
    int centerPixely() const { return m_centerPixely; }
    QString pixelRed() const { return m_pixelRed; }
    QString pixelGreen() const { return m_pixelGreen; }
    QString pixelBlue() const { return m_pixelBlue; }
    const QImage& magnifiedImage() const { return m_magnified; }

    void setImage(const QImage& sample, const QVector<double>& colour) override;
    void paint(QPainter* painter) override;

signals:
    void signalPixelChanged();

private:
    void updateSample();

    QImage m_magnified;
    int m_pixelSize = 8;
    QSize m_sampleSize{32, 32};
    QString m_pixelColor;
    int m_centerPixelx = 0;
    int m_centerPixely = 0;
    QString m_pixelRed;
    QString m_pixelGreen;
    QString m_pixelBlue;
    QImage m_sample;
    QVector<double> m_colour;
};
