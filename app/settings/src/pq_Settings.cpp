#include "settings/pq_Settings.h"

#include "SettingsLogging.h"

#include <QMutex>
#include <QMutexLocker>
#include <QSettings>

#include <cmath>

namespace {

// The settings mutex: guards the instance pointer and every store access. It
// is never held while another settings operation runs.
QMutex settingsMutex;
pq_Settings* theSettings = nullptr;

const double kColorDeltaEThresholdLower = 5.0;
const double kColorDeltaEThresholdUpper = 10.0;
const double kNeutralDeltaEThreshold = 2.828;
const double kNeutralLightThreshold = 2.0;
const double kNeutralChromaThreshold = 2.0;
const double kOverallDeltaEThreshold = 3.0;
const int kPickerRadius = 2;

// Every key is "/" and the name, which places it at the store's top level.
QString keyOf(const char* name)
{
    return QLatin1Char('/') + QLatin1String(name);
}

}  // namespace

bool pq_isLanguageCode(const QString& text)
{
    if (text.size() != 2)
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('a') || c > QLatin1Char('z'))
            return false;
    }
    return true;
}

pq_Settings* pq_Settings::instance()
{
    QMutexLocker lock(&settingsMutex);
    if (!theSettings)
        theSettings = new pq_Settings;
    return theSettings;
}

void pq_Settings::destroyInstance()
{
    QMutexLocker lock(&settingsMutex);
    delete theSettings;
    theSettings = nullptr;
}

pq_Settings::pq_Settings() : m_store(new QSettings) {}

pq_Settings::~pq_Settings()
{
    m_store->sync();
    if (m_store->status() != QSettings::NoError)
        qCWarning(lcAppSettings, "could not write the settings to %s", qUtf8Printable(m_store->fileName()));
    delete m_store;
}

QVariant pq_Settings::value(const QString& key, const QVariant& defaultValue) const
{
    QMutexLocker lock(&settingsMutex);
    return m_store->value(key, defaultValue);
}

QString pq_Settings::stringValue(const char* name) const
{
    return value(keyOf(name), QString()).toString();
}

bool pq_Settings::boolValue(const char* name, bool defaultValue) const
{
    return value(keyOf(name), defaultValue).toBool();
}

// A threshold is a finite number; anything else stored reads as the default.
double pq_Settings::doubleValue(const char* name, double defaultValue) const
{
    bool ok = false;
    const double stored = value(keyOf(name), defaultValue).toDouble(&ok);
    return ok && std::isfinite(stored) ? stored : defaultValue;
}

void pq_Settings::setStoredValue(const char* name, const QVariant& value)
{
    const QString key = keyOf(name);
    QMutexLocker lock(&settingsMutex);
    m_store->setValue(key, value);
}

bool pq_Settings::contains(const char* name) const
{
    const QString key = keyOf(name);
    QMutexLocker lock(&settingsMutex);
    return m_store->contains(key);
}

QString pq_Settings::autoJobsList() const { return stringValue("autoJobsList"); }
void pq_Settings::setAutoJobsList(const QString& list) { setStoredValue("autoJobsList", QVariant(list)); }
bool pq_Settings::hasAutoJobsList() const { return contains("autoJobsList"); }

QString pq_Settings::disabledJobsList() const { return stringValue("disabledJobsList"); }
void pq_Settings::setDisabledJobsList(const QString& list) { setStoredValue("disabledJobsList", QVariant(list)); }
bool pq_Settings::hasDisabledJobsList() const { return contains("disabledJobsList"); }

QString pq_Settings::fixedJobsList() const { return stringValue("fixedJobsList"); }
void pq_Settings::setFixedJobsList(const QString& list) { setStoredValue("fixedJobsList", QVariant(list)); }
bool pq_Settings::hasFixedJobsList() const { return contains("fixedJobsList"); }

bool pq_Settings::sortingJobsAuto() const { return boolValue("sortingJobsAuto", true); }
void pq_Settings::setSortingJobsAuto(bool on) { setStoredValue("sortingJobsAuto", QVariant(on)); }
bool pq_Settings::hasSortingJobsAuto() const { return contains("sortingJobsAuto"); }

bool pq_Settings::showIntro() const { return boolValue("showIntro", true); }
void pq_Settings::setShowIntro(bool on) { setStoredValue("showIntro", QVariant(on)); }

double pq_Settings::colorDeltaEThresholdLower() const
{
    return doubleValue("colorDeltaEThresholdLower", kColorDeltaEThresholdLower);
}
void pq_Settings::setColorDeltaEThresholdLower(double value)
{
    setStoredValue("colorDeltaEThresholdLower", QVariant(value));
}

double pq_Settings::colorDeltaEThresholdUpper() const
{
    return doubleValue("colorDeltaEThresholdUpper", kColorDeltaEThresholdUpper);
}
void pq_Settings::setColorDeltaEThresholdUpper(double value)
{
    setStoredValue("colorDeltaEThresholdUpper", QVariant(value));
}

double pq_Settings::neutralDeltaEThreshold() const
{
    return doubleValue("neutralDeltaEThreshold", kNeutralDeltaEThreshold);
}
void pq_Settings::setNeutralDeltaEThreshold(double value)
{
    setStoredValue("neutralDeltaEThreshold", QVariant(value));
}

double pq_Settings::neutralLightThreshold() const
{
    return doubleValue("neutralLightThreshold", kNeutralLightThreshold);
}
void pq_Settings::setNeutralLightThreshold(double value)
{
    setStoredValue("neutralLightThreshold", QVariant(value));
}

double pq_Settings::neutralChromaThreshold() const
{
    return doubleValue("neutralChromaThreshold", kNeutralChromaThreshold);
}
void pq_Settings::setNeutralChromaThreshold(double value)
{
    setStoredValue("neutralChromaThreshold", QVariant(value));
}

double pq_Settings::overallDeltaEThreshold() const
{
    return doubleValue("overallDeltaEThreshold", kOverallDeltaEThreshold);
}
void pq_Settings::setOverallDeltaEThreshold(double value)
{
    setStoredValue("overallDeltaEThreshold", QVariant(value));
}

QString pq_Settings::language() const
{
    const QString stored = stringValue("language");
    return pq_isLanguageCode(stored) ? stored : QString();
}
void pq_Settings::setLanguage(const QString& code) { setStoredValue("language", QVariant(code)); }

int pq_Settings::pickerRadius() const
{
    bool ok = false;
    const int stored = value(keyOf("pickerRadius"), kPickerRadius).toInt(&ok);
    return ok ? stored : kPickerRadius;
}
void pq_Settings::setPickerRadius(int radius) { setStoredValue("pickerRadius", QVariant(radius)); }
