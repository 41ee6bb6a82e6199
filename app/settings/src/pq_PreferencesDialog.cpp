#include "settings/pq_PreferencesDialog.h"

#include "settings/pq_ControllerObject.h"
#include "settings/pq_Settings.h"
#include "platform/program_folders.h"
#include "ui_pq_PreferencesDialog.h"

#include <QDir>
#include <QMessageBox>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include <cmath>

namespace {

const char* const kContext = "pq_PreferencesDialog";

// The languages the list can offer: code and name, in the context above.
const struct {
    const char* code;
    const char* name;
} kLanguages[] = {
    {"en", QT_TRANSLATE_NOOP("pq_PreferencesDialog", "english")},
    {"de", QT_TRANSLATE_NOOP("pq_PreferencesDialog", "german")},
    {"fr", QT_TRANSLATE_NOOP("pq_PreferencesDialog", "french")},
    {"it", QT_TRANSLATE_NOOP("pq_PreferencesDialog", "italian")},
    {"es", QT_TRANSLATE_NOOP("pq_PreferencesDialog", "spanish")},
    {"ja", QT_TRANSLATE_NOOP("pq_PreferencesDialog", "japanese")},
    {"ru", QT_TRANSLATE_NOOP("pq_PreferencesDialog", "russian")},
    {"zh", QT_TRANSLATE_NOOP("pq_PreferencesDialog", "chinese")},
};

const struct {
    const char* code;
    const char* notice;
} kNotices[] = {
    {"de", QT_TRANSLATE_NOOP("pq_PreferencesDialog",
                             "GERMAN: Die Spracheinstellungen werden beim nächsten Programmstart übernommen.")},
    {"fr", QT_TRANSLATE_NOOP("pq_PreferencesDialog",
                             "FRENCH: The changed language will take effect after the next start of the program.")},
    {"it", QT_TRANSLATE_NOOP("pq_PreferencesDialog",
                             "ITALIAN: The changed language will take effect after the next start of the program.")},
    {"es", QT_TRANSLATE_NOOP("pq_PreferencesDialog",
                             "SPANISH: The changed language will take effect after the next start of the program.")},
    {"ja", QT_TRANSLATE_NOOP("pq_PreferencesDialog",
                             "JAPANESE: The changed language will take effect after the next start of the program.")},
    {"ru", QT_TRANSLATE_NOOP("pq_PreferencesDialog",
                             "RUSSIAN: The changed language will take effect after the next start of the program.")},
    {"zh", QT_TRANSLATE_NOOP("pq_PreferencesDialog",
                             "CHINESE: The changed language will take effect after the next start of the program.")},
};
const char* const kEnglishNotice = QT_TRANSLATE_NOOP(
    "pq_PreferencesDialog", "ENGLISH: The changed language will take effect after the next start of the program.");

// Thresholds are shown with one decimal and a point, whatever the locale.
QString thresholdText(double value)
{
    return QString::number(value, 'f', 1);
}

}  // namespace

QString pq_languageChangeNotice(const QString& code)
{
    for (const auto& entry : kNotices) {
        if (code == QLatin1String(entry.code))
            return QCoreApplication::translate(kContext, entry.notice);
    }
    return QCoreApplication::translate(kContext, kEnglishNotice);
}

pq_PreferencesDialog::pq_PreferencesDialog(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags), m_ui(new Ui_pq_PreferencesDialog),
      m_languageAtStart(pq_Settings::instance()->language())
{
    m_ui->setupUi(this);

    const struct {
        QLineEdit* edit;
        void (pq_PreferencesDialog::*slot)(QString);
        Getter get;
    } thresholds[] = {
        {m_ui->ledColorDeltaEThreshLower, &pq_PreferencesDialog::catchEditedColorDeltaEThresholdLower,
         &pq_Settings::colorDeltaEThresholdLower},
        {m_ui->ledColorDeltaEThreshUpper, &pq_PreferencesDialog::catchEditedColorDeltaEThresholdUpper,
         &pq_Settings::colorDeltaEThresholdUpper},
        {m_ui->ledNeutralDeltaEThresh, &pq_PreferencesDialog::catchEditedNeutralDeltaEThreshold,
         &pq_Settings::neutralDeltaEThreshold},
        {m_ui->ledNeutralLightThresh, &pq_PreferencesDialog::catchEditedNeutralLightThreshold,
         &pq_Settings::neutralLightThreshold},
        {m_ui->ledNeutralChromaThresh, &pq_PreferencesDialog::catchEditedNeutralChromaThreshold,
         &pq_Settings::neutralChromaThreshold},
        {m_ui->ledOverallDeltaEThresh, &pq_PreferencesDialog::catchEditedOverallDeltaEThreshold,
         &pq_Settings::overallDeltaEThreshold},
    };
    // Only digits and one point can be typed; "0" and "0." stay while a value
    // below 1 is typed, and an entry that is no threshold is put back when
    // editing finishes (Enter or leaving the field).
    const QRegularExpression plainDecimal(QStringLiteral("[0-9]*\\.?[0-9]*"));
    for (const auto& threshold : thresholds) {
        threshold.edit->setValidator(new QRegularExpressionValidator(plainDecimal, threshold.edit));
        connect(threshold.edit, &QLineEdit::textEdited, this, threshold.slot);
        QLineEdit* edit = threshold.edit;
        const Getter get = threshold.get;
        connect(edit, &QLineEdit::editingFinished, this, [edit, get] { restoreIfNoThreshold(edit, get); });
    }
    connect(m_ui->cbbLanguage, QOverload<int>::of(&QComboBox::activated), this,
            &pq_PreferencesDialog::catchActivatedLanguage);
    connect(m_ui->cbbPickerRadius, QOverload<int>::of(&QComboBox::activated), this,
            &pq_PreferencesDialog::catchActivatedPickerRadius);

    pq_Settings* settings = pq_Settings::instance();
    for (const auto& threshold : thresholds)
        threshold.edit->setText(thresholdText((settings->*threshold.get)()));

    fillLanguages();
    fillPickerRadii();

    if (QObject* controller = pq_controllerObject()) {
        for (const char* signal :
             {SIGNAL(colorDeltaEThresholdLowerEdited()), SIGNAL(colorDeltaEThresholdUpperEdited()),
              SIGNAL(neutralDeltaEThresholdEdited()), SIGNAL(neutralLightThresholdEdited()),
              SIGNAL(neutralChromaThresholdEdited()), SIGNAL(overallDeltaEThresholdEdited())})
            connect(this, signal, controller, SLOT(catchDeltaEThresholdsChanged()));
    }
}

pq_PreferencesDialog::~pq_PreferencesDialog()
{
    delete m_ui;
}

// The languages whose program translation lies in the resources folder, in
// the folder's listing order; files of unknown languages are skipped.
void pq_PreferencesDialog::fillLanguages()
{
    QComboBox* list = m_ui->cbbLanguage;
    list->clear();
    const QStringList files = QDir(platform::resourcesFolderPath())
                                  .entryList({QStringLiteral("pelto_*.qm")}, QDir::Files, QDir::Unsorted);
    const QRegularExpression pattern(QStringLiteral("pelto_(\\w+).qm"));
    for (const QString& file : files) {
        const QRegularExpressionMatch match = pattern.match(file);
        if (!match.hasMatch())
            continue;
        const QString code = match.captured(1);
        for (const auto& language : kLanguages) {
            if (code == QLatin1String(language.code)) {
                list->addItem(QCoreApplication::translate(kContext, language.name), code);
                break;
            }
        }
    }
    int index = list->findData(m_languageAtStart);
    if (index < 0)
        index = list->findData(QStringLiteral("en"));
    if (index >= 0)
        list->setCurrentIndex(index);
}

void pq_PreferencesDialog::fillPickerRadii()
{
    QComboBox* list = m_ui->cbbPickerRadius;
    list->addItem(QStringLiteral("1 x 1"), 0);
    list->addItem(QStringLiteral("3 x 3"), 1);
    list->addItem(QStringLiteral("5 x 5"), 2);
    int index = list->findData(pq_Settings::instance()->pickerRadius());
    if (index < 0)
        index = list->findData(2);
    if (index >= 0)
        list->setCurrentIndex(index);
}

bool pq_PreferencesDialog::thresholdValue(const QString& text, double* value)
{
    bool ok = false;
    *value = text.toDouble(&ok);  // always with a decimal point
    return ok && std::isfinite(*value) && *value > 0;
}

void pq_PreferencesDialog::editThreshold(const QString& text, Setter set, Signal signal)
{
    double value = 0;
    if (!thresholdValue(text, &value))
        return;  // perhaps on the way to a valid value; checked when editing finishes
    (pq_Settings::instance()->*set)(value);
    emit(this->*signal)();
}

void pq_PreferencesDialog::restoreIfNoThreshold(QLineEdit* edit, Getter get)
{
    double value = 0;
    if (!thresholdValue(edit->text(), &value))
        edit->setText(thresholdText((pq_Settings::instance()->*get)()));
}

void pq_PreferencesDialog::catchEditedColorDeltaEThresholdLower(QString text)
{
    editThreshold(text, &pq_Settings::setColorDeltaEThresholdLower, &pq_PreferencesDialog::colorDeltaEThresholdLowerEdited);
}

void pq_PreferencesDialog::catchEditedColorDeltaEThresholdUpper(QString text)
{
    editThreshold(text, &pq_Settings::setColorDeltaEThresholdUpper, &pq_PreferencesDialog::colorDeltaEThresholdUpperEdited);
}

void pq_PreferencesDialog::catchEditedNeutralDeltaEThreshold(QString text)
{
    editThreshold(text, &pq_Settings::setNeutralDeltaEThreshold, &pq_PreferencesDialog::neutralDeltaEThresholdEdited);
}

void pq_PreferencesDialog::catchEditedNeutralLightThreshold(QString text)
{
    editThreshold(text, &pq_Settings::setNeutralLightThreshold, &pq_PreferencesDialog::neutralLightThresholdEdited);
}

void pq_PreferencesDialog::catchEditedNeutralChromaThreshold(QString text)
{
    editThreshold(text, &pq_Settings::setNeutralChromaThreshold, &pq_PreferencesDialog::neutralChromaThresholdEdited);
}

void pq_PreferencesDialog::catchEditedOverallDeltaEThreshold(QString text)
{
    editThreshold(text, &pq_Settings::setOverallDeltaEThreshold, &pq_PreferencesDialog::overallDeltaEThresholdEdited);
}

void pq_PreferencesDialog::catchActivatedLanguage(int index)
{
    QComboBox* list = m_ui->cbbLanguage;
    if (index < 0 || index >= list->count())
        return;
    const QString code = list->itemData(index).toString();
    pq_Settings* settings = pq_Settings::instance();
    if (code != settings->language())
        settings->setLanguage(code);
}

void pq_PreferencesDialog::catchActivatedPickerRadius(int index)
{
    QComboBox* list = m_ui->cbbPickerRadius;
    if (index < 0 || index >= list->count())
        return;
    bool ok = false;
    const int radius = list->itemData(index).toInt(&ok);
    pq_Settings* settings = pq_Settings::instance();
    if (ok && radius >= 0 && radius != settings->pickerRadius())
        settings->setPickerRadius(radius);
}

void pq_PreferencesDialog::accept()
{
    const QString language = pq_Settings::instance()->language();
    if (language != m_languageAtStart)
        QMessageBox::information(this, QStringLiteral("pelto"), pq_languageChangeNotice(language));
    QDialog::accept();
}
