#pragma once

#include <QObject>
#include <QString>

QObject *makeHistogramTest();
QObject *makeImageWidgetTest();
QObject *makePatchGridWidgetTest();
QObject *makeMeasurementTest();
QObject *makeQualityRoadTest();

// The profiles the tests use as image and display profiles.
QString srgbProfilePath();
QString adobeRgbProfilePath();
