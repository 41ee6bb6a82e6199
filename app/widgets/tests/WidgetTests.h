#pragma once

#include <QObject>
#include <QString>

#include <vector>

class pq_DeltaEHistogram;

QObject *makeHistogramTest();
QObject *makeImageWidgetTest();
QObject *makePatchGridWidgetTest();
QObject *makeMeasurementTest();
QObject *makeQualityRoadTest();

// The profiles the tests use as image and display profiles.
QString srgbProfilePath();
QString adobeRgbProfilePath();

// Every difference the histogram holds, once per count, in ascending order.
std::vector<double> histogramValues(const pq_DeltaEHistogram &histogram);
