#include "WidgetTests.h"

#include "settings/pq_Settings.h"
#include "colour/Kirr_colorLibrary.h"
#include "widgets/pq_DeltaEHistogram.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>

QString srgbProfilePath() { return QStringLiteral(VP_TEST_ICC_DIR "/sRGB.icc"); }

QString adobeRgbProfilePath() { return QStringLiteral(VP_TEST_ICC_DIR "/AdobeRGB1998.icc"); }

std::vector<double> histogramValues(const pq_DeltaEHistogram &histogram)
{
    std::vector<double> values;
    for (const auto &e : histogram.entries())
        for (int i = 0; i < e.second; ++i)
            values.push_back(e.first);
    return values;
}

int main(int argc, char **argv)
{
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    QDir().mkpath(home.path() + QStringLiteral("/config"));
    QGuiApplication app(argc, argv);
    if (!Kirr_ensureStandardProfiles()) {
        std::fprintf(stderr, "cannot write the standard profiles\n");
        return 1;
    }
    // A test display has no profile of its own: the display is Adobe RGB.
    Kirr_setDisplayProfileSource([] {
        Kirr_DisplayProfileSource source;
        source.path = adobeRgbProfilePath();
        return source;
    });
    int status = 0;
    for (auto make : {makeHistogramTest, makeImageWidgetTest, makePatchGridWidgetTest,
                      makeMeasurementTest, makeQualityRoadTest}) {
        std::unique_ptr<QObject> test(make());
        status |= QTest::qExec(test.get(), argc, argv);
    }
    pq_Settings::destroyInstance();
    return status;
}
