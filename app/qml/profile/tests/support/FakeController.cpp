#include "FakeController.h"

#include <QClipboard>
#include <QGuiApplication>

namespace {
QString flag(bool b) { return b ? QStringLiteral("true") : QStringLiteral("false"); }
}

FakeController::FakeController(QQmlPropertyMap* currentJob, QQmlPropertyMap* colorPicker, QObject* parent)
    : QObject(parent), m_currentJob(currentJob), m_colorPicker(colorPicker)
{
}

void FakeController::record(const QString& call)
{
    m_calls.append(call);
    emit callsChanged();
}

void FakeController::clearCalls()
{
    m_calls.clear();
    emit callsChanged();
}

void FakeController::setClipboardText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

void FakeController::setProfilingStage(const QString& stage)
{
    record(QStringLiteral("setProfilingStage(%1)").arg(stage));
}

void FakeController::resetRuntime(bool imageOnly, bool updateUI)
{
    record(QStringLiteral("resetRuntime(%1,%2)").arg(flag(imageOnly), flag(updateUI)));
}

bool FakeController::isExpertModeLocked()
{
    record(QStringLiteral("isExpertModeLocked()"));
    return m_expertLocked;
}

void FakeController::selectTarget4Profiling(int index)
{
    record(QStringLiteral("selectTarget4Profiling(%1)").arg(index));
}

void FakeController::loadShot4Profiling(int index)
{
    record(QStringLiteral("loadShot4Profiling(%1)").arg(index));
}

// Writes the two keys back as the controller does.
void FakeController::setProfileName(const QString& profileName, int prefixLength)
{
    record(QStringLiteral("setProfileName(%1,%2)").arg(profileName).arg(prefixLength));
    m_currentJob->insert(QStringLiteral("profileNamePrefix"), profileName.left(prefixLength));
    m_currentJob->insert(QStringLiteral("profileName"), profileName.mid(prefixLength));
}

bool FakeController::doesProfileExist(const QString& profileName)
{
    record(QStringLiteral("doesProfileExist(%1)").arg(profileName));
    m_currentJob->insert(QStringLiteral("compareProfileName"), profileName);
    return m_existingProfiles.contains(profileName);
}

void FakeController::toggleColorPicker(bool selectedColor)
{
    record(QStringLiteral("toggleColorPicker(%1)").arg(flag(selectedColor)));
    m_colorPicker->insert(QStringLiteral("visible"), !m_colorPicker->value(QStringLiteral("visible")).toBool());
}

void FakeController::showProfileInFinder(const QString& profileName)
{
    record(QStringLiteral("showProfileInFinder(%1)").arg(profileName));
}

void FakeController::setCompareProfileActiveChecked(bool checked)
{
    record(QStringLiteral("setCompareProfileActiveChecked(%1)").arg(flag(checked)));
}

void FakeController::selectedProfileCompareChanged(const QString& profileName)
{
    record(QStringLiteral("selectedProfileCompareChanged(%1)").arg(profileName));
    m_currentJob->insert(QStringLiteral("compareProfileName"), profileName);
}

void FakeController::dropC1Tif(const QString& url)
{
    record(QStringLiteral("dropC1Tif(%1)").arg(url));
}

void FakeController::helpFilmCurveExtraction()
{
    record(QStringLiteral("helpFilmCurveExtraction()"));
}

void FakeController::justUsedJob(const QString& name)
{
    record(QStringLiteral("justUsedJob(%1)").arg(name));
}
