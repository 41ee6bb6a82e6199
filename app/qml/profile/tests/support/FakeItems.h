#pragma once

#include <QQuickPaintedItem>
#include <QStringList>

// Stands in for the chart image item: the properties the pages read and
// write, every action word recorded, and a drawn chart with its grid.
class FakeImageWidget : public QQuickPaintedItem
{
    Q_OBJECT
    Q_PROPERTY(QString shot MEMBER m_shot)
    Q_PROPERTY(QString action READ action WRITE setAction)
    Q_PROPERTY(QStringList actions READ actions NOTIFY actionsChanged)
    Q_PROPERTY(bool greenDelta READ greenDelta WRITE setGreenDelta NOTIFY signalGreenDeltaChecked)
    Q_PROPERTY(bool yellowDelta READ yellowDelta WRITE setYellowDelta NOTIFY signalYellowDeltaChecked)
    Q_PROPERTY(bool redDelta READ redDelta WRITE setRedDelta NOTIFY signalRedDeltaChecked)
    Q_PROPERTY(QString deltaEStatistics MEMBER m_deltaEStatistics NOTIFY signalDeltaEChanged)
    Q_PROPERTY(bool deltaEIsGood MEMBER m_deltaEIsGood NOTIFY signalDeltaEChanged)
    Q_PROPERTY(QString deltaEValue MEMBER m_deltaEValue NOTIFY signalDeltaEChanged)
    Q_PROPERTY(QString deltaLabel MEMBER m_deltaLabel NOTIFY signalDeltaEChanged)
    Q_PROPERTY(double qaSliderValue READ qaSliderValue WRITE qaSliderChanged NOTIFY signalDeltaEChanged)
    Q_PROPERTY(bool isLastShot MEMBER m_isLastShot NOTIFY signalIsLastShotChanged)
    Q_PROPERTY(bool isFilmCurveMissing MEMBER m_isFilmCurveMissing NOTIFY signalIsFilmCurveMissingChanged)
    Q_PROPERTY(QString errorExtractFilmCurve MEMBER m_errorExtractFilmCurve
               NOTIFY signalErrorExtractFilmCurveChanged)
    Q_PROPERTY(bool qualityColours MEMBER m_qualityColours NOTIFY qualityColoursChanged)
    Q_PROPERTY(bool loadingShot MEMBER m_loadingShot NOTIFY signalLoadingShotChanged)

public:
    explicit FakeImageWidget(QQuickItem* parent = nullptr);

    QString action() const { return m_action; }
    void setAction(const QString& command);
    QStringList actions() const { return m_actions; }
    Q_INVOKABLE void clearActions();

    bool greenDelta() const { return m_green; }
    bool yellowDelta() const { return m_yellow; }
    bool redDelta() const { return m_red; }
    void setGreenDelta(bool on);
    void setYellowDelta(bool on);
    void setRedDelta(bool on);
    double qaSliderValue() const { return m_slider; }
    void qaSliderChanged(double value);

    void paint(QPainter* painter) override;

signals:
    void actionsChanged();
    void qualityColoursChanged();
    void signalLoadingShotChanged();
    void signalDeltaEChanged();
    void signalIsLastShotChanged();
    void signalIsFilmCurveMissingChanged();
    void signalErrorExtractFilmCurveChanged();
    void signalGreenDeltaChecked(bool);
    void signalYellowDeltaChecked(bool);
    void signalRedDeltaChecked(bool);

private:
    QString m_shot;
    QString m_action;
    QStringList m_actions;
    bool m_green = true;
    bool m_yellow = true;
    bool m_red = true;
    QString m_deltaEStatistics;
    bool m_deltaEIsGood = false;
    QString m_deltaEValue;
    QString m_deltaLabel;
    double m_slider = 0.5;
    bool m_isLastShot = false;
    bool m_isFilmCurveMissing = false;
    QString m_errorExtractFilmCurve;
    bool m_qualityColours = false;
    bool m_loadingShot = false;
    int m_rotation = 0;
    double m_zoom = 1.0;
};

// Stands in for the magnifier: a fixed magnified sample and its colour texts.
class FakeZoomedArea : public QQuickPaintedItem
{
    Q_OBJECT
    Q_PROPERTY(int pixelSize READ pixelSize NOTIFY signalPixelChanged)
    Q_PROPERTY(QString pixelColor READ pixelColor NOTIFY signalPixelChanged)
    Q_PROPERTY(int sampleWidth READ sampleSide NOTIFY signalPixelChanged)
    Q_PROPERTY(int sampleHeight READ sampleSide NOTIFY signalPixelChanged)
    Q_PROPERTY(int centerPixelx READ centerPixel NOTIFY signalPixelChanged)
    Q_PROPERTY(int centerPixely READ centerPixel NOTIFY signalPixelChanged)
    Q_PROPERTY(QString pixelRed READ pixelRed NOTIFY signalPixelChanged)
    Q_PROPERTY(QString pixelGreen READ pixelGreen NOTIFY signalPixelChanged)
    Q_PROPERTY(QString pixelBlue READ pixelBlue NOTIFY signalPixelChanged)

public:
    explicit FakeZoomedArea(QQuickItem* parent = nullptr);
    int pixelSize() const { return 8; }
    QString pixelColor() const { return QStringLiteral("#ffc25a3c"); }
    int sampleSide() const { return 256; }
    int centerPixel() const { return 128; }
    QString pixelRed() const { return QStringLiteral(" 76.1%"); }
    QString pixelGreen() const { return QStringLiteral(" 35.3%"); }
    QString pixelBlue() const { return QStringLiteral(" 23.5%"); }
    void paint(QPainter* painter) override;

signals:
    void signalPixelChanged();
};

// Registers the two stand-ins under the modules the pages import.
void registerFakeItems();
