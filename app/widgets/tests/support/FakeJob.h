// A job for the widget tests: one target built from definition and reference
// texts, its patch grid, a chart image and the few answers the widgets ask for.
#pragma once

#include "jobs/pq_JobIF.h"
#include "jobs/pq_jobExpertSettingsIF.h"

#include "chart/PatchGrid.h"
#include "chart/RawImage.h"
#include "chart/Target.h"
#include "chart/TransferFunction.h"
#include "colour/Kirr_BezierLut.h"
#include "colour/Kirr_ColorCurve.h"
#include "colour/Kirr_Spline1.h"

#include <QStringList>
#include <QThread>
#include <QVector>

#include <memory>

class FakeExpertSettings : public pq_jobExpertSettingsIF
{
public:
    QString quality;
    QString iccIlluminant;
    int formula = 2;

    QString profileTypeCamera() const override { return {}; }
    QString profileTypeC1() const override { return {}; }
    QString profileTypeICC() const override { return {}; }
    QString profileOptimization() const override { return {}; }
    QString qualityControl() const override { return quality; }
    QString shading() const override { return {}; }
    QString batchMode() const override { return {}; }
    QString illuminantCamera() const override { return {}; }
    QString illuminantICC() const override { return iccIlluminant; }
    QString exposureOffset() const override { return {}; }
    QString whitePoint() const override { return {}; }
    QString connectionSpace() const override { return {}; }
    QString grayWeight() const override { return {}; }
    QString observer() const override { return {}; }
    bool flag() const override { return false; }
    int cameraProfileTypeIndex() const override { return 0; }
    int c1ProfileTypeIndex() const override { return 0; }
    bool isC1TypeSevenOrEight() const override { return false; }
    bool isC1TypeSixEightOrNine() const override { return false; }
    int iccProfileTypeIndex() const override { return 0; }
    int deltaEFormula() const override { return formula; }
    int cameraIlluminantIndex() const override { return 0; }
    int iccIlluminantIndex() const override { return 0; }
    double exposureOffsetValue() const override { return 0; }
    bool isConnectionSpaceXYZ() const override { return true; }
    int grayWeightIndex() const override { return 0; }
    int observerIndex() const override { return 0; }
    bool isWhitePointAutoExposure() const override { return false; }
};

class FakeJob : public pq_JobIF
{
    Q_OBJECT

public:
    FakeJob();
    ~FakeJob() override;

    // The target's texts; loadTargetData reads them (the reference reordered
    // "TLR" when asked).
    void setTargetTexts(int columns, int rows, const QString &definition,
                        const QString &reference);
    void setChartImage(const RawImage &image);
    void setC1Image(const RawImage &image);

    // What the widget did.
    QVector<bool> loadTargetDataCalls;
    QVector<int> savePatchGridCalls;
    int extractFilmCurveCalls = 0;
    QVector<Qt::HANDLE> callThreads;
    bool filmCurveAvailable = false;
    bool allLoaded = true;
    bool allRaw = false;
    bool c1InsteadOfDcp = false;
    bool chartIcc = false;
    bool chartTxt = false;
    bool noTarget = false;
    QByteArray embeddedIcc;   // the chart image's embedded profile
    FakeExpertSettings settings;
    PatchGrid grid;
    Target target;

    QString getJobID() const override { return QStringLiteral("fake"); }
    QString getJobName() const override { return QStringLiteral("fake"); }
    void setJobName(const QString &) override {}
    pq_targetInfo *currentTargetInfo() const override { return nullptr; }
    bool isInitiallyDisabled() const override { return false; }
    void setToneCurveLut(const Kirr_BezierLut &lut) override;
    const Kirr_BezierLut *toneCurveLut() const override;
    void setToneCurveSpline(const Kirr_Spline1 &spline) override;
    const Kirr_Spline1 *toneCurveSpline() const override;
    pq_targetSummary currentTargetSummary() const override { return {}; }
    QPixmap targetPixmap(int) const override { return {}; }
    void readFromXML(const QString &) override {}
    QString toQmlXml() const override { return {}; }
    QString toXml() const override { return {}; }
    void setIlluminantSpectrum(const SpectrumArray *) override {}
    const SpectrumArray *illuminantSpectrum() const override { return nullptr; }
    void setTargetIlluminant(const QString &) override {}
    QString targetIlluminant() const override { return {}; }
    void resetRuntimeState() override {}
    bool loadPatchGrid(int) override { return false; }
    void resetPatchGrid() override {}
    void savePatchGrid(int mode) override;
    bool isFilmCurveAvailable(const QString &) const override { return filmCurveAvailable; }
    bool extractFilmCurve(Kirr_ColorCurve &curve, const QString &name) override;
    int createProfile(QString &, bool, int, int, const QString &, const calculation_settings *,
                      bool, const Kirr_BezierLut *, const Kirr_Spline1 *, double, double,
                      int) override
    {
        return CreateProfileFilesNotWritten;
    }
    QString outputFolder() const override { return {}; }
    QString profileName() const override { return {}; }
    void setProfileName(const QString &) override {}
    QString profileNamePrefix() const override { return {}; }
    void setProfileNamePrefix(const QString &) override {}
    QString profileExtension() const override { return {}; }
    void setProfileExtension(const QString &) override {}
    int storedNumber() const override { return 0; }
    void setStoredNumber(int) override {}
    bool storedFlag() const override { return false; }
    void setStoredFlag(bool) override {}
    QString currentTargetFilePath() const override { return {}; }
    bool loadCurrentTarget() override { return loadTargetData(false) == 0; }
    bool isChartImageIcc() const override { return chartIcc; }
    bool isChartImageTxt() const override { return chartTxt; }
    bool isDcpChart() const override { return false; }
    QString chartImageFileName() const override { return QStringLiteral("shot.tif"); }
    QString chartImagePath() const override { return QStringLiteral("/nonexistent/shot.tif"); }
    void setChartImagePath(const QString &) override {}
    QString auxImageFileName() const override { return {}; }
    QString auxImagePath() const override { return {}; }
    void setAuxImagePath(const QString &) override {}
    QString cameraName() const override { return QStringLiteral("Testmaker TM-1"); }
    QString cameraMake() const override { return QStringLiteral("Testmaker"); }
    QString cameraModel() const override { return QStringLiteral("TM-1"); }
    QSize chartImageSize() const override { return QSize(m_chart.width(), m_chart.height()); }
    QSize chartImageRawSize() const override { return chartImageSize(); }
    bool areAllChartImagesLoaded() const override { return allLoaded; }
    bool isChartImageLoaded() const override { return !m_chart.isNull(); }
    bool areAllChartImagesRaw() const override { return allRaw; }
    bool isChartImageRaw() const override { return allRaw; }
    const TransferFunction &chartTransferFunction() const override { return m_transfer; }
    ExifExposure chartExposureData() const override { return {}; }
    const QPixmap &chartPixmap() const override { return m_pixmap; }
    QByteArray chartImageIccData() const override { return embeddedIcc; }
    const QPixmap &chartStretchedPixmap() const override { return m_pixmap; }
    bool linearizeChartValues(double *, int) const override { return false; }
    const RawImageIF &chartRawImage() const override { return m_chart; }
    const RawImageIF &c1TifRawImage() const override { return m_c1; }
    const QPixmap &auxPixmap() const override { return m_pixmap; }
    const RawImageIF &auxRawImage() const override { return m_aux; }
    pq_jobExpertSettingsIF *expertSettings() override { return &settings; }
    bool isC1InsteadOfDCP() const override { return c1InsteadOfDcp; }
    TargetIF *currentTarget() override { return noTarget ? nullptr : &target; }
    PatchGridIF *currentPatchGrid() override { return noTarget ? nullptr : &grid; }
    int loadTargetData(bool transposeReference) override;
    pq_JobReadOutcome lastReadOutcome() const override { return {}; }
    bool isEnabled() const override { return true; }
    void setEnabled(bool) override {}

private:
    int m_columns = 0;
    int m_rows = 0;
    QString m_definition;
    QString m_reference;
    RawImage m_chart;
    RawImage m_c1;
    RawImage m_aux;
    QPixmap m_pixmap;
    TransferFunction m_transfer;
    std::unique_ptr<Kirr_BezierLut> m_lut;
    std::unique_ptr<Kirr_Spline1> m_spline;
};
