#pragma once
// The preferences dialog: the six quality-control thresholds, the colour
// picker's area and the interface language. Every value is stored the moment
// it is edited or chosen; OK only closes the dialog and, when the language
// changed, says that the change takes effect at the next start.

#include <QDialog>
#include <QString>

class QLineEdit;
class pq_Settings;
class Ui_pq_PreferencesDialog;

class pq_PreferencesDialog : public QDialog {
    Q_OBJECT

public:
    explicit pq_PreferencesDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~pq_PreferencesDialog() override;

signals:
    void colorDeltaEThresholdLowerEdited();
    void colorDeltaEThresholdUpperEdited();
    void neutralDeltaEThresholdEdited();
    void neutralLightThresholdEdited();
    void neutralChromaThresholdEdited();
    void overallDeltaEThresholdEdited();

public slots:
    void accept() override;
    void catchEditedColorDeltaEThresholdLower(QString text);
    void catchEditedColorDeltaEThresholdUpper(QString text);
    void catchEditedNeutralDeltaEThreshold(QString text);
    void catchEditedNeutralLightThreshold(QString text);
    void catchEditedNeutralChromaThreshold(QString text);
    void catchEditedOverallDeltaEThreshold(QString text);
    void catchActivatedLanguage(int index);
    void catchActivatedPickerRadius(int index);

private:
    using Getter = double (pq_Settings::*)() const;
    using Setter = void (pq_Settings::*)(double);
    using Signal = void (pq_PreferencesDialog::*)();

    // Whether text is a threshold: a finite number greater than 0.
    static bool thresholdValue(const QString& text, double* value);
    // Stores text as the threshold and emits signal when it is a threshold;
    // otherwise stores nothing and leaves the field as typed.
    void editThreshold(const QString& text, Setter set, Signal signal);
    // When editing ends on an entry that is no threshold, the field shows the
    // stored value again.
    static void restoreIfNoThreshold(QLineEdit* edit, Getter get);
    void fillLanguages();
    void fillPickerRadii();

    Ui_pq_PreferencesDialog* m_ui;
    QString m_languageAtStart;
};

// The notice shown when the language was changed to code, in the context
// "pq_PreferencesDialog".
QString pq_languageChangeNotice(const QString& code);
