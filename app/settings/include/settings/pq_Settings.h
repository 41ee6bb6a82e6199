#pragma once
// The program's persistent settings: one QSettings store in the native format
// and user scope, opened under the application's organisation and application
// names, every key at the top level. A process-wide singleton; one mutex
// guards the instance pointer and every single store access.

#include <QString>
#include <QVariant>

class QSettings;

class pq_Settings {
public:
    // The singleton, created on first use (after the application has set its
    // names, so that the store is the application's).
    static pq_Settings* instance();
    // Deletes the singleton, which writes pending changes; the next instance()
    // creates a new one.
    static void destroyInstance();

    virtual ~pq_Settings();

    pq_Settings(const pq_Settings&) = delete;
    pq_Settings& operator=(const pq_Settings&) = delete;

    // The stored value of key, or defaultValue when the store lacks the key.
    QVariant value(const QString& key, const QVariant& defaultValue) const;

    // Job names joined by "|": the automatic order, the disabled jobs and the
    // user's order.
    QString autoJobsList() const;
    void setAutoJobsList(const QString& list);
    bool hasAutoJobsList() const;
    QString disabledJobsList() const;
    void setDisabledJobsList(const QString& list);
    bool hasDisabledJobsList() const;
    QString fixedJobsList() const;
    void setFixedJobsList(const QString& list);
    bool hasFixedJobsList() const;

    bool sortingJobsAuto() const;
    void setSortingJobsAuto(bool on);
    bool hasSortingJobsAuto() const;

    bool showIntro() const;
    void setShowIntro(bool on);

    // Quality-control thresholds. A stored text that is no finite number
    // reads as the default.
    double colorDeltaEThresholdLower() const;
    void setColorDeltaEThresholdLower(double value);
    double colorDeltaEThresholdUpper() const;
    void setColorDeltaEThresholdUpper(double value);
    double neutralDeltaEThreshold() const;
    void setNeutralDeltaEThreshold(double value);
    double neutralLightThreshold() const;
    void setNeutralLightThreshold(double value);
    double neutralChromaThreshold() const;
    void setNeutralChromaThreshold(double value);
    double overallDeltaEThreshold() const;
    void setOverallDeltaEThreshold(double value);

    // The two-letter interface language; empty when none is stored or the
    // stored text is no language code (two lower-case ASCII letters).
    QString language() const;
    void setLanguage(const QString& code);

    // The colour picker's area: 0 = 1 x 1, 1 = 3 x 3, 2 = 5 x 5 pixels. A
    // stored text that is no integer reads as 2.
    int pickerRadius() const;
    void setPickerRadius(int radius);

private:
    pq_Settings();

    QString stringValue(const char* name) const;
    bool boolValue(const char* name, bool defaultValue) const;
    double doubleValue(const char* name, double defaultValue) const;
    void setStoredValue(const char* name, const QVariant& value);
    bool contains(const char* name) const;

    QSettings* m_store;
};

// Whether text is a language code as the program stores it: two lower-case
// ASCII letters (it becomes part of file names and name filters).
bool pq_isLanguageCode(const QString& text);
