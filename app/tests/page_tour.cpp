// The pages of the intro, the job screens and the target screens as a user
// meets them in the real program, on a seeded store (jobs with markup
// characters, a non-Latin name, a disabled job, a two-target job), worked by
// mouse and keys, with a screenshot of each page.
#include "Driver.h"

#include "platform/program_folders.h"

#include <QApplication>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QJSValue>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>

#include <functional>

namespace {

const QString kAmpersandJob = QStringLiteral("Smith & Sons");
const QString kNonLatinJob = QStringLiteral("Копия Δ музей");
const QString kDisabledJob = QStringLiteral("Old Scanner (off)");
const QString kMultiTargetJob = QStringLiteral("Museum 'Multi' 2");
const QString kStudioJob = QStringLiteral("Studio Daylight");

class Tour {
public:
    explicit Tour(Driver& driver) : d(driver) {}

    void run()
    {
        intro();
        frontPage();
        jobsSlide();
        jobManager();
        targetSelection();
        jobSettings();
        savingExisting();
        cannotSave();
        newJob();
        targetsOverview();
        deleteJob();
        refusedSet();
    }

private:
    Driver& d;
    int m_shot = 0;

    void shoot(const QString& name)
    {
        // The front page's list moves to its job for 500 ms.
        d.pause(800);
        d.waitForFrame();
        d.shoot(QStringLiteral("%1-%2").arg(++m_shot, 2, 10, QChar('0')).arg(name));
    }

    QString title()
    {
        QQuickItem* label = d.findAny(QStringLiteral("mainTitle"));
        return label ? label->property("text").toString() : QString();
    }

    void expectTitle(const QString& expected)
    {
        d.waitFor([&] { return title() == expected; },
                  QStringLiteral("the title \"%1\" (it reads \"%2\")").arg(expected, title()), 5000);
    }

    // The pages of the main window that show; exactly one must.
    void expectOnlyPage(const QString& page)
    {
        static const char* const pages[] = {"intro1", "introPage", "frontPage", "jobsSlide", "manageJobs",
                                            "targetsOverview", "selectTargets", "filmCurveMissing",
                                            "filmCurveExtraction", "profiling", "profilingProgress"};
        d.item(page);
        for (const char* other : pages) {
            if (page != QLatin1String(other))
                d.require(!d.isVisible(QLatin1String(other)),
                          QStringLiteral("%1 shows beside %2").arg(QLatin1String(other), page));
        }
    }

    // The job names of a list or grid view, in its order.
    QStringList jobsOf(const QString& view)
    {
        QQuickItem* list = d.findAny(view);
        d.require(list, view + QStringLiteral(" is missing"));
        QObject* model = list->property("model").value<QObject*>();
        // A delegate model (the job manager's, for reordering) over the jobs.
        if (model && !model->property("status").isValid())
            model = model->property("model").value<QObject*>();
        d.require(model, view + QStringLiteral(" has no model"));
        d.waitFor([&] { return model->property("status").toInt() == 1; }, view + QStringLiteral(" to be read"), 10000);
        QStringList names;
        const int count = model->property("count").toInt();
        for (int i = 0; i < count; ++i) {
            QJSValue entry;
            QMetaObject::invokeMethod(model, "get", Q_RETURN_ARG(QJSValue, entry), Q_ARG(int, i));
            names << entry.property(QStringLiteral("jobName")).toString();
        }
        return names;
    }

    void expectJobs(const QString& view, const QStringList& present, const QStringList& absent)
    {
        const QStringList names = jobsOf(view);
        for (const QString& name : present)
            d.require(names.contains(name),
                      QStringLiteral("%1 does not list \"%2\": %3").arg(view, name, names.join(QStringLiteral(", "))));
        for (const QString& name : absent)
            d.require(!names.contains(name), QStringLiteral("%1 lists \"%2\"").arg(view, name));
    }

    // The front page's list and its strip stand on the job.
    void expectFrontShows(const QString& name)
    {
        d.waitFor([&] {
            const int index = jobsOf(QStringLiteral("frontJobList")).indexOf(name);
            QQuickItem* list = d.findAny(QStringLiteral("frontJobList"));
            QQuickItem* strip = d.findAny(QStringLiteral("jobsNavigation"));
            return index >= 0 && list->property("currentIndex").toInt() == index
                && strip->property("currentIndex").toInt() == index
                && d.isVisible(QStringLiteral("navJob%1").arg(index));
        }, QStringLiteral("the front page to show \"%1\"").arg(name), 5000);
    }

    QString jobFile(const QString& name) { return platform::jobsFolderPath() + QLatin1Char('/') + name + ".xml"; }

    QByteArray readJobFile(const QString& name)
    {
        QFile file(jobFile(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QQuickItem* tile(const QString& jobName)
    {
        return d.item(QStringLiteral("jobTile_") + jobName);
    }

    void clickIn(QQuickItem* root, const QString& name)
    {
        QQuickItem* found = nullptr;
        d.waitFor([&] { return (found = d.findVisibleIn(root, name)) != nullptr; },
                  QStringLiteral("\"%1\" in %2").arg(name, root->objectName()), 5000);
        // Tiles move aside when the grid changes; click where it rests.
        QPointF at = found->mapToScene(QPointF());
        d.waitFor([&] {
            d.pause(100);
            const QPointF now = found->mapToScene(QPointF());
            const bool resting = now == at;
            at = now;
            return resting;
        }, QStringLiteral("\"%1\" to rest").arg(name), 5000);
        d.click(found);
    }

    // A locked window keeps the size it has, which is at least its minimum.
    void expectLocked(bool locked)
    {
        QQuickWindow* w = d.window();
        if (locked) {
            d.require(w->maximumSize() == w->size() && w->minimumSize() == w->size(),
                      QStringLiteral("the locked window may change its size"));
            d.require(w->width() >= w->property("minimumWidth").toInt(), QStringLiteral("locked below its minimum"));
        } else {
            d.require(w->maximumWidth() > w->width() && w->maximumHeight() > w->height(),
                      QStringLiteral("the unlocked window cannot grow"));
        }
    }

    void intro()
    {
        d.window();
        expectOnlyPage(QStringLiteral("intro1"));
        expectTitle(QStringLiteral(" Introduction"));
        expectLocked(true);
        shoot(QStringLiteral("intro-welcome"));
        d.click(QStringLiteral("startTour"));
        const char* const titles[] = {"  Select", "  Create", "  Control", "  Jobs"};
        for (int page = 1; page <= 4; ++page) {
            expectOnlyPage(QStringLiteral("introPage"));
            expectTitle(QLatin1String(titles[page - 1]));
            expectLocked(true);
            shoot(QStringLiteral("intro-page-%1").arg(page));
            d.click(QStringLiteral("introNext"));
        }
    }

    void frontPage()
    {
        expectOnlyPage(QStringLiteral("frontPage"));
        expectTitle(QStringLiteral("  Select your Job"));
        expectLocked(false);
        expectJobs(QStringLiteral("frontJobList"), {kAmpersandJob, kNonLatinJob, kStudioJob, kMultiTargetJob},
                   {kDisabledJob});
        shoot(QStringLiteral("front-page"));
        const QStringList names = jobsOf(QStringLiteral("frontJobList"));
        d.click(QStringLiteral("navJob%1").arg(names.indexOf(kAmpersandJob)));
        d.waitFor([&] { return d.evaluate(QStringLiteral("currentJob.name")).toString() == kAmpersandJob; },
                  QStringLiteral("the ampersand job to be current"), 5000);
        d.item(QStringLiteral("jobInfoView_") + kAmpersandJob);
        shoot(QStringLiteral("front-page-ampersand-job"));

        // Neither a web address nor a folder is a shot: each drop is refused
        // in words, and nothing else changes.
        QQuickItem* view = d.item(QStringLiteral("jobInfoView_") + kAmpersandJob);
        QQuickItem* drop = d.findVisibleIn(view, QStringLiteral("dropArea"));
        d.require(drop, QStringLiteral("the job has no drop area"));
        const auto refuse = [&](const QString& what, const std::function<void()>& dropIt) {
            dropIt();
            d.waitFor([&] { return d.isVisible(QStringLiteral("jobAlertWarning")); },
                      QStringLiteral("the refusal of %1").arg(what), 5000);
            const QString message = d.evaluate(QStringLiteral("currentJob.alertWarningMessage")).toString();
            d.require(message.contains(QLatin1String("not a file on this computer")) ||
                          message.contains(QLatin1String("a folder, not a shot")),
                      QStringLiteral("%1 is refused with \"%2\"").arg(what, message));
            shoot(QStringLiteral("front-page-refused-") + what);
            d.click(d.findVisibleIn(d.item(QStringLiteral("jobAlertWarning")), QStringLiteral("alertOK")));
            d.waitFor([&] { return !d.isVisible(QStringLiteral("jobAlertWarning")); },
                      QStringLiteral("the refusal of %1 to close").arg(what), 5000);
        };
        refuse(QStringLiteral("web-address"),
               [&] { d.dropUrls(drop, {QUrl(QStringLiteral("https://example.com/chart.tif"))}); });
        refuse(QStringLiteral("folder"),
               [&] { d.dropFiles(drop, {QStandardPaths::writableLocation(QStandardPaths::TempLocation)}); });
        expectOnlyPage(QStringLiteral("frontPage"));
        const QString shots = d.evaluate(QStringLiteral("String(currentJob.currentTargetShots)")).toString();
        d.require(!shots.contains(QLatin1String("<path>")),
                  QStringLiteral("a dropped web address or folder became a shot: %1").arg(shots));
        shoot(QStringLiteral("front-page-after-bad-drops"));

        // No shot yet: the kind depends on the shot, raw to a DCP, others to ICC.
        d.require(d.evaluate(QStringLiteral("allEnabledJobs.xml")).toString().contains(
                      QLatin1String("<profileType>DCP / ICC</profileType>")),
                  QStringLiteral("the front page does not show the jobs' profile kinds"));
        shotBrowser(drop);
    }

    // Browsing for a shot opens in the pictures folder (no shot was taken
    // yet) and offers the files the image loader reads.
    void shotBrowser(QQuickItem* drop)
    {
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        d.require(QDir().mkpath(pictures), QStringLiteral("no pictures folder %1").arg(pictures));
        d.click(drop);
        d.otherWindow();
        d.pause(500);
        d.shootScreen(QStringLiteral("%1-shot-dialog").arg(++m_shot, 2, 10, QChar('0')));
        QFileDialog* files = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible() && qobject_cast<QFileDialog*>(widget))
                files = qobject_cast<QFileDialog*>(widget);
        }
        d.require(files, QStringLiteral("the shot dialog is no file dialog"));
        d.require(files->directory().absolutePath() == QDir(pictures).absolutePath(),
                  QStringLiteral("the shot dialog opened in %1").arg(files->directory().absolutePath()));
        const QStringList filters = files->nameFilters();
        d.require(filters.size() == 2 && filters.first().contains(QLatin1String("*.dng *.DNG"))
                      && filters.first().contains(QLatin1String("*.tif")) && filters.last() == QLatin1String("All files (*)"),
                  QStringLiteral("the shot dialog offers %1").arg(filters.join(QStringLiteral(" | "))));
        d.require(files->selectedNameFilter() == filters.first(),
                  QStringLiteral("the shot dialog shows %1 first").arg(files->selectedNameFilter()));
        QTest::keyClick(files, Qt::Key_Escape);
        d.waitFor([&] { return !d.hasOtherWindow(); }, QStringLiteral("the shot dialog to close"), 5000);
        expectOnlyPage(QStringLiteral("frontPage"));
    }

    void jobsSlide()
    {
        d.click(QStringLiteral("viewButton"));
        expectOnlyPage(QStringLiteral("jobsSlide"));
        expectTitle(QStringLiteral("  Select your Job"));
        expectJobs(QStringLiteral("slideJobList"), {kAmpersandJob, kNonLatinJob}, {kDisabledJob});
        shoot(QStringLiteral("jobs-slide"));
    }

    void jobManager()
    {
        d.click(QStringLiteral("segment_JOB EDITOR"));
        expectOnlyPage(QStringLiteral("manageJobs"));
        expectTitle(QStringLiteral("  Manage your Jobs"));
        expectJobs(QStringLiteral("jobsGrid"), {kAmpersandJob, kNonLatinJob, kDisabledJob, kMultiTargetJob}, {});
        QQuickItem* toggle = d.findVisibleIn(tile(kDisabledJob), QStringLiteral("jobToggle"));
        d.require(toggle && toggle->property("toggleState").toString() == QLatin1String("DISABLED"),
                  QStringLiteral("the disabled job's toggle does not read DISABLED"));
        toggle = d.findVisibleIn(tile(kAmpersandJob), QStringLiteral("jobToggle"));
        d.require(toggle && toggle->property("toggleState").toString() == QLatin1String("ENABLED"),
                  QStringLiteral("an enabled job's toggle does not read ENABLED"));
        shoot(QStringLiteral("job-manager"));

        clickIn(tile(kAmpersandJob), QStringLiteral("tileDuplicate"));
        QQuickItem* field = d.item(QStringLiteral("nameField"));
        d.require(field->property("text").toString() == kAmpersandJob + QStringLiteral(" Copy"),
                  QStringLiteral("the duplicate's name is \"%1\"").arg(field->property("text").toString()));
        shoot(QStringLiteral("duplicate-job"));
        d.click(QStringLiteral("alertOK"));
        d.waitFor([&] { return QFileInfo::exists(jobFile(kAmpersandJob + " Copy")); },
                  QStringLiteral("the duplicated job's file"), 5000);
        expectJobs(QStringLiteral("jobsGrid"), {kAmpersandJob + QStringLiteral(" Copy")}, {});
        reorder();
    }

    // In the fixed order a tile dragged by its move icon over the third tile
    // takes its place, and the jobs are stored in that order.
    void reorder()
    {
        d.click(QStringLiteral("segment_FIXED"));
        d.require(!d.evaluate(QStringLiteral("peltoQt.isSortingJobsAuto()")).toBool(),
                  QStringLiteral("FIXED left the automatic order"));
        QStringList names = jobsOf(QStringLiteral("jobsGrid"));
        d.require(names.size() >= 3, QStringLiteral("too few jobs to reorder"));
        QQuickItem* handle = nullptr;
        d.waitFor([&] { return (handle = d.findVisibleIn(tile(names.at(0)), QStringLiteral("moveHandle"))); },
                  QStringLiteral("the move icon"), 5000);
        QQuickItem* over = tile(names.at(2));
        const QPointF to = handle->mapFromScene(over->mapToScene(QPointF(over->width() / 2, over->height() / 2)));
        d.drag(handle, QPointF(handle->width() / 2, handle->height() / 2), to, 12);
        names.move(0, 2);
        shoot(QStringLiteral("job-manager-reordered"));
        // The lists are read anew on the way to the front page and back.
        d.click(QStringLiteral("segment_PROFILING"));
        QStringList enabled = names;
        enabled.removeAll(kDisabledJob);
        auto expectOrder = [&](const QString& view, const QStringList& order) {
            d.waitFor([&] { return jobsOf(view) == order; },
                      QStringLiteral("%1 in the order %2 (it is %3)")
                          .arg(view, order.join(QStringLiteral(", ")), jobsOf(view).join(QStringLiteral(", "))),
                      5000);
        };
        expectOrder(QStringLiteral("frontJobList"), enabled);
        d.click(QStringLiteral("segment_JOB EDITOR"));
        expectOrder(QStringLiteral("jobsGrid"), names);
    }

    void targetSelection()
    {
        clickIn(tile(kStudioJob), QStringLiteral("tileEdit"));
        expectOnlyPage(QStringLiteral("selectTargets"));
        expectTitle(QStringLiteral("  ") + kStudioJob + QStringLiteral(" - Select your Target"));
        d.item(QStringLiteral("targetElement_ColorChecker"));
        shoot(QStringLiteral("select-targets"));

        d.click(QStringLiteral("reference_ColorChecker"));
        QWindow* dialog = d.otherWindow();
        d.pause(500);
        d.shootScreen(QStringLiteral("%1-reference-file-dialog").arg(++m_shot, 2, 10, QChar('0')));
        d.require(dialog->title() == QLatin1String("Please choose a reference file"),
                  QStringLiteral("the reference dialog is titled \"%1\"").arg(dialog->title()));
        // It opens in the reference's folder; the file typed there is taken.
        QFileDialog* files = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible() && qobject_cast<QFileDialog*>(widget))
                files = qobject_cast<QFileDialog*>(widget);
        }
        d.require(files, QStringLiteral("the reference dialog is no file dialog"));
        d.require(files->directory().absolutePath() == QLatin1String("/usr/share/color/argyll/ref"),
                  QStringLiteral("the reference dialog opened in %1").arg(files->directory().absolutePath()));
        d.waitFor([] { return QApplication::focusWidget() != nullptr; }, QStringLiteral("the dialog's focus"), 5000);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("ColorChecker.cie"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        d.waitFor([&] { return !d.hasOtherWindow(); }, QStringLiteral("the reference dialog to close"), 5000);
        d.require(d.evaluate(QStringLiteral("allTargets.xml")).toString().contains(
                      QLatin1String("<referenceName>ColorChecker.cie</referenceName>")),
                  QStringLiteral("the chosen reference file is not the target's"));

        // A second target on a one-target job asks first; CANCEL keeps one.
        d.click(QStringLiteral("selectTarget_QPcard 201"));
        d.item(QStringLiteral("alertMultiTarget"));
        shoot(QStringLiteral("multi-target-question"));
        d.click(d.findVisibleIn(d.item(QStringLiteral("alertMultiTarget")), QStringLiteral("alertCancel")));
        d.require(d.evaluate(QStringLiteral("currentJob.targetCount")).toInt() == 1,
                  QStringLiteral("CANCEL changed the targets"));
    }

    void jobSettings()
    {
        d.click(QStringLiteral("expertMode"));
        d.item(QStringLiteral("jobSettings"));
        expectTitle(QStringLiteral("  ") + kStudioJob + QStringLiteral(" - Expert Mode - Define your Custom Information"));
        shoot(QStringLiteral("job-settings"));
        for (const char* tab : {"CAMERA", "C1", "ICC"}) {
            d.click(QStringLiteral("segment_") + QLatin1String(tab));
            shoot(QStringLiteral("job-settings-%1").arg(QString::fromLatin1(tab).toLower()));
        }
        d.click(QStringLiteral("settingsInfoSwitch"));
        d.item(QStringLiteral("customInfoToggle"));
        if (!d.isVisible(QStringLiteral("info_COMPANY")))
            d.click(QStringLiteral("customInfoToggle"));
        d.click(QStringLiteral("info_COMPANY"));
        d.key(Qt::Key_A, Qt::ControlModifier);
        // A pause while typing lets the published information come back:
        // the field keeps the focus and the rest of the text.
        d.type(QStringLiteral("<b>Repro</b> & "));
        d.pause(500);
        d.type(QStringLiteral("\"Söhne\""));
        shoot(QStringLiteral("custom-information"));
        d.click(QStringLiteral("settingsInfoSwitch"));
    }

    // Two sets saved from the job, the second then damaged on disk: choosing
    // it says why it cannot be applied and the bar keeps the set applied.
    void refusedSet()
    {
        clickIn(tile(kAmpersandJob), QStringLiteral("tileEdit"));
        expectOnlyPage(QStringLiteral("selectTargets"));
        d.click(QStringLiteral("expertMode"));
        d.item(QStringLiteral("jobSettings"));
        for (const QString& name : {QStringLiteral("Daylight"), QStringLiteral("Damaged")}) {
            d.click(QStringLiteral("setSave"));
            QQuickItem* alert = d.item(QStringLiteral("alertSaveSet"));
            d.replaceText(QStringLiteral("nameField"), name);
            d.click(d.findVisibleIn(alert, QStringLiteral("alertOK")));
            d.waitFor([&] { return d.text(QStringLiteral("setNameField")) == name; },
                      QStringLiteral("the set bar to show the saved set %1").arg(name), 5000);
        }
        QFile damaged(platform::setsFolderPath() + QStringLiteral("/Damaged.xml"));
        d.require(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate) && damaged.write("<Job/>\n") > 0,
                  QStringLiteral("the set file cannot be damaged"));
        damaged.close();
        // The list reads "Damaged|Daylight"; the keys step through it.
        QQuickItem* combo = d.item(QStringLiteral("setsCombo"));
        QMetaObject::invokeMethod(combo, "forceActiveFocus");
        d.key(Qt::Key_Down);
        d.waitFor([&] { return d.evaluate(QStringLiteral("currentJob.expertSetName")).toString() == QLatin1String("Daylight"); },
                  QStringLiteral("the set Daylight to be applied"), 5000);
        d.key(Qt::Key_Up);
        QQuickItem* alert = d.item(QStringLiteral("alertGeneric"));
        shoot(QStringLiteral("refused-set"));
        d.require(alert->property("message").toString().contains(QLatin1String("\"Damaged\"")),
                  QStringLiteral("the refusal reads \"%1\"").arg(alert->property("message").toString()));
        d.require(d.text(QStringLiteral("setNameField")) == QLatin1String("Daylight")
                      && combo->property("currentText").toString() == QLatin1String("Daylight")
                      && d.evaluate(QStringLiteral("currentJob.expertSetName")).toString() == QLatin1String("Daylight"),
                  QStringLiteral("the refused set shows as applied"));
        d.click(d.findVisibleIn(alert, QStringLiteral("alertOK")));
        d.click(QStringLiteral("settingsBack"));
        d.click(QStringLiteral("targetsBack"));
        expectOnlyPage(QStringLiteral("manageJobs"));
    }

    // Saving under an existing name asks; RENAME saves under a new name,
    // OVERWRITE replaces the file.
    void savingExisting()
    {
        d.click(QStringLiteral("settingsSaveJob"));
        QQuickItem* field = d.item(QStringLiteral("jobNameField"));
        d.require(field->property("text").toString() == kStudioJob, QStringLiteral("the save dialog holds another name"));
        expectTitle(QStringLiteral("  Save Job"));
        shoot(QStringLiteral("save-job"));
        d.click(QStringLiteral("saveJobStart"));
        d.item(QStringLiteral("alertJobExists"));
        shoot(QStringLiteral("save-job-exists"));
        d.click(d.findVisibleIn(d.item(QStringLiteral("alertJobExists")), QStringLiteral("alertCancel")));
        d.item(QStringLiteral("alertRenameSaveJob"));
        // The characters no file name may hold cannot be typed.
        d.type(QStringLiteral("Studio: Daylight/2"));
        field = d.findVisibleIn(d.item(QStringLiteral("alertRenameSaveJob")), QStringLiteral("jobNameField"));
        d.require(field->property("text").toString() == QLatin1String("Studio Daylight2"),
                  QStringLiteral("the name field took \"%1\"").arg(field->property("text").toString()));
        shoot(QStringLiteral("save-job-rename"));
        d.click(d.findVisibleIn(d.item(QStringLiteral("alertRenameSaveJob")), QStringLiteral("saveJobSave")));
        expectOnlyPage(QStringLiteral("frontPage"));
        d.waitFor([&] { return QFileInfo::exists(jobFile(QStringLiteral("Studio Daylight2"))); },
                  QStringLiteral("the renamed job's file"), 5000);
        QDomDocument saved;
        d.require(saved.setContent(readJobFile(QStringLiteral("Studio Daylight2"))),
                  QStringLiteral("the renamed job's file does not parse"));
        const QString company = saved.elementsByTagName(QStringLiteral("InfoCompany")).item(0).toElement().text();
        d.require(company == QStringLiteral("<b>Repro</b> & \"Söhne\""),
                  QStringLiteral("the saved company reads \"%1\"").arg(company));
        expectJobs(QStringLiteral("frontJobList"), {QStringLiteral("Studio Daylight2"), kAmpersandJob}, {});
        expectFrontShows(QStringLiteral("Studio Daylight2"));
        shoot(QStringLiteral("front-page-after-rename"));

        d.click(QStringLiteral("segment_JOB EDITOR"));
        clickIn(tile(kAmpersandJob), QStringLiteral("tileEdit"));
        d.click(QStringLiteral("saveJob"));
        d.click(QStringLiteral("saveJobStart"));
        d.click(d.findVisibleIn(d.item(QStringLiteral("alertJobExists")), QStringLiteral("alertOK")));
        expectOnlyPage(QStringLiteral("frontPage"));
        d.require(readJobFile(kAmpersandJob).contains("Smith &amp; Sons"), QStringLiteral("the overwritten job"));
    }

    // A daylight-and-tungsten job needs spectral reference data.
    void cannotSave()
    {
        d.click(QStringLiteral("segment_JOB EDITOR"));
        clickIn(tile(kNonLatinJob), QStringLiteral("tileEdit"));
        const QByteArray before = readJobFile(kNonLatinJob);
        d.click(QStringLiteral("expertMode"));
        d.click(QStringLiteral("segment_CAMERA"));
        d.click(QStringLiteral("comboBox_cameraIlluminant"));
        d.click(QStringLiteral("popupEntry_D65 + Std. Illuminant A"));
        shoot(QStringLiteral("job-settings-dual-illuminant"));
        d.click(QStringLiteral("settingsSaveJob"));
        d.click(QStringLiteral("saveJobStart"));
        QQuickItem* alert = d.item(QStringLiteral("alertGeneric"));
        QQuickItem* message = d.findVisibleIn(alert, QStringLiteral("alertMessage"));
        d.require(message && message->property("text").toString().contains(QLatin1String("requires spectral reference")),
                  QStringLiteral("no \"Cannot Save Job\" message"));
        shoot(QStringLiteral("cannot-save-job"));
        d.click(d.findVisibleIn(alert, QStringLiteral("alertOK")));
        d.require(readJobFile(kNonLatinJob) == before, QStringLiteral("the job was written"));
        expectTitle(QStringLiteral("  ") + kNonLatinJob + QStringLiteral(" - Expert Mode - Define your Custom Information"));
        d.click(QStringLiteral("settingsBack"));
        d.click(QStringLiteral("targetsBack"));
        expectOnlyPage(QStringLiteral("manageJobs"));
    }

    // NEW, one target, then the further choices and the save form.
    void newJob()
    {
        d.click(QStringLiteral("newJob"));
        expectOnlyPage(QStringLiteral("selectTargets"));
        d.click(QStringLiteral("selectTarget_ColorChecker"));
        d.item(QStringLiteral("selectTargetsFurther"));
        d.item(QStringLiteral("selectTarget_ColorChecker"), 5000);
        shoot(QStringLiteral("select-targets-further"));
        d.click(QStringLiteral("further_profiling"));
        d.item(QStringLiteral("alertSaveJobFurther"));
        d.type(QStringLiteral("Neue «Repro» & Co"));
        shoot(QStringLiteral("save-new-job"));
        d.click(d.findVisibleIn(d.item(QStringLiteral("alertSaveJobFurther")), QStringLiteral("saveJobSave")));
        expectOnlyPage(QStringLiteral("frontPage"));
        d.waitFor([&] { return QFileInfo::exists(jobFile(QStringLiteral("Neue «Repro» & Co"))); },
                  QStringLiteral("the new job's file"), 5000);
        expectJobs(QStringLiteral("frontJobList"), {QStringLiteral("Neue «Repro» & Co")}, {});
        expectFrontShows(QStringLiteral("Neue «Repro» & Co"));
        shoot(QStringLiteral("front-page-new-job"));
    }

    void targetsOverview()
    {
        d.click(QStringLiteral("segment_JOB EDITOR"));
        expectOnlyPage(QStringLiteral("manageJobs"));
        clickIn(tile(kMultiTargetJob), QStringLiteral("targetSummary"));
        expectOnlyPage(QStringLiteral("targetsOverview"));
        expectTitle(QStringLiteral("  ") + kMultiTargetJob + QStringLiteral(" - Targets Overview"));
        shoot(QStringLiteral("targets-overview"));
        d.click(QStringLiteral("overviewClose"));
        expectOnlyPage(QStringLiteral("selectTargets"));
        d.click(QStringLiteral("targetsBack"));
        expectOnlyPage(QStringLiteral("manageJobs"));
    }

    void deleteJob()
    {
        clickIn(tile(kDisabledJob), QStringLiteral("tileDelete"));
        d.item(QStringLiteral("alertDeleteJob"));
        shoot(QStringLiteral("delete-job"));
        d.click(d.findVisibleIn(d.item(QStringLiteral("alertDeleteJob")), QStringLiteral("alertOK")));
        d.waitFor([&] { return !QFileInfo::exists(jobFile(kDisabledJob)); }, QStringLiteral("the job file to go"), 5000);
        expectJobs(QStringLiteral("jobsGrid"), {kAmpersandJob}, {kDisabledJob});
        shoot(QStringLiteral("job-manager-after-delete"));
    }
};

}  // namespace

int vp_driverScenario(Driver& driver, const QStringList&)
{
    Tour(driver).run();
    return 0;
}
