#pragma once

#include <QObject>
#include <QQmlPropertyMap>
#include <QStringList>
#include <QVariant>

// Stands in for the controller "peltoQt": records every call the pages make
// in order, and answers the few questions they ask from settable state.
class FakeController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList calls READ calls NOTIFY callsChanged)
    Q_PROPERTY(bool expertLocked MEMBER m_expertLocked)
    Q_PROPERTY(QStringList existingProfiles MEMBER m_existingProfiles)

public:
    FakeController(QQmlPropertyMap* currentJob, QQmlPropertyMap* colorPicker, QObject* parent = nullptr);

    QStringList calls() const { return m_calls; }

    Q_INVOKABLE void record(const QString& call);
    Q_INVOKABLE void clearCalls();
    Q_INVOKABLE void setClipboardText(const QString& text);

    Q_INVOKABLE void setProfilingStage(const QString& stage);
    Q_INVOKABLE void resetRuntime(bool imageOnly, bool updateUI);
    Q_INVOKABLE bool isExpertModeLocked();
    Q_INVOKABLE void selectTarget4Profiling(int index);
    Q_INVOKABLE void loadShot4Profiling(int index);
    Q_INVOKABLE void setProfileName(const QString& profileName, int prefixLength);
    Q_INVOKABLE bool doesProfileExist(const QString& profileName);
    Q_INVOKABLE void toggleColorPicker(bool selectedColor);
    Q_INVOKABLE void showProfileInFinder(const QString& profileName);
    Q_INVOKABLE void setCompareProfileActiveChecked(bool checked);
    Q_INVOKABLE void selectedProfileCompareChanged(const QString& profileName);
    Q_INVOKABLE void dropC1Tif(const QString& url);
    Q_INVOKABLE void helpFilmCurveExtraction();
    Q_INVOKABLE void justUsedJob(const QString& name);

signals:
    void callsChanged();

private:
    QQmlPropertyMap* m_currentJob;
    QQmlPropertyMap* m_colorPicker;
    QStringList m_calls;
    bool m_expertLocked = true;
    QStringList m_existingProfiles;
};
