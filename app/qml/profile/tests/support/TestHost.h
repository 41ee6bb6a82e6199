#pragma once

#include <QObject>
#include <QQmlPropertyMap>

class FakeController;
class QQmlEngine;

// The context the pages expect: the controller and its nine property maps,
// with the size and font keys filled as at 96 pixels per inch.
class TestHost : public QObject
{
    Q_OBJECT

public:
    explicit TestHost(QObject* parent = nullptr);
    void install(QQmlEngine* engine);

    Q_INVOKABLE QString targets(int count, int current) const;
    Q_INVOKABLE QString shots(int count, int current) const;

    QQmlPropertyMap props;
    QQmlPropertyMap currentJob;
    QQmlPropertyMap allJobs;
    QQmlPropertyMap allEnabledJobs;
    QQmlPropertyMap allTargets;
    QQmlPropertyMap allSets;
    QQmlPropertyMap allProfiles;
    QQmlPropertyMap qaPatchInfo;
    QQmlPropertyMap qaColorPicker;
    FakeController* controller;
};

// Targets list for QML of count targets with the given one current.
QString targetsXml(int count, int current);
// Shots list of count shots with the given one current.
QString shotsXml(int count, int current);
