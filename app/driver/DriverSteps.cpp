#include "DriverSteps.h"

#include "controller/peltoQt.h"
#include "items/CppImageWidget.h"
#include "jobs/pq_Job.h"
#include "platform/program_folders.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QQmlPropertyMap>
#include <QQuickItem>

#include <cmath>

void keepScreenshots(Driver& d, const QStringList& arguments)
{
    const int keep = arguments.indexOf(QStringLiteral("--keep"));
    if (keep >= 0 && keep + 1 < arguments.size())
        d.setScreenshotFolder(arguments[keep + 1]);
}

QQmlPropertyMap& currentJob() { return *peltoQt::instance()->currentJobMap(); }

pq_Job* jobNamed(Driver& d, const QString& name)
{
    int index = -1;
    int enabled = -1;
    auto* job = qobject_cast<pq_Job*>(peltoQt::instance()->findJob(name, index, enabled));
    d.require(job != nullptr, QStringLiteral("no job \"%1\" in the job list").arg(name));
    return job;
}

QString shotsFolder(Driver& d)
{
    const QString folder = QDir::homePath() + QStringLiteral("/Shots");
    d.require(QDir().mkpath(folder), QStringLiteral("cannot make %1").arg(folder));
    return folder;
}

CppImageWidget* imageItem(Driver& d)
{
    auto* item = qobject_cast<CppImageWidget*>(d.item(QStringLiteral("imageWidget")));
    d.require(item && item->engine(), QStringLiteral("the grid page has no image item"));
    return item;
}

QString mainTitle(Driver& d) { return d.text(QStringLiteral("mainTitle")); }

// The visible button of the main window's alert with that objectName.
void closeAlert(Driver& d, const QString& alert)
{
    d.click(d.itemIn(d.item(alert), QStringLiteral("alertOk")));
}

void skipIntro(Driver& d)
{
    d.window();
    d.item(QStringLiteral("intro1"));
    d.click(QStringLiteral("skipIntro"));
    d.item(QStringLiteral("frontPage"));
}

QString createJob(Driver& d, const QString& name, const QString& target, const QString& prefix, bool viaExpert,
                  const std::function<void()>& inSettings, const std::function<void()>& inNameForm)
{
    d.click(QStringLiteral("segment_JOB EDITOR"));
    d.item(QStringLiteral("manageJobs"));
    d.click(QStringLiteral("newJob"));
    d.item(QStringLiteral("selectTargets"));
    const QString select = QStringLiteral("selectTarget_") + target;
    d.click(select);
    d.item(QStringLiteral("selectTargetsFurther"));
    // The button under the choices, the pointer away from it.
    d.hover(d.item(QStringLiteral("selectTargets")), QPointF(5, 5));
    d.waitFor([&] { return d.findAny(select)->property("text").toString() == QLatin1String("ALREADY SELECTED"); },
              QStringLiteral("SELECT to read ALREADY SELECTED"));
    d.shoot(prefix + QStringLiteral("-target-selected"));
    QString start;
    // The choices slide in: each is clicked where it rests.
    auto clickResting = [&](const QString& objectName) {
        QQuickItem* button = d.item(objectName);
        QPointF at = button->mapToScene(QPointF());
        d.waitFor([&] {
            d.pause(100);
            const QPointF now = button->mapToScene(QPointF());
            const bool resting = now == at;
            at = now;
            return resting;
        }, QStringLiteral("\"%1\" to rest").arg(objectName), 5000);
        d.click(button);
    };
    if (viaExpert) {
        clickResting(QStringLiteral("further_expert"));
        d.item(QStringLiteral("jobSettings"));
        if (inSettings)
            inSettings();
        d.shoot(prefix + QStringLiteral("-job-settings"));
        d.click(QStringLiteral("settingsSaveJob"));
        d.item(QStringLiteral("alertSaveJob"));
        start = QStringLiteral("saveJobStart");
    } else {
        clickResting(QStringLiteral("further_profiling"));
        d.item(QStringLiteral("alertSaveJobFurther"));
        start = QStringLiteral("saveJobSave");
    }
    d.replaceText(QStringLiteral("jobNameField"), name);
    d.require(d.text(QStringLiteral("jobNameField")) == name,
              QStringLiteral("the name field reads \"%1\"").arg(d.text(QStringLiteral("jobNameField"))));
    if (inNameForm)
        inNameForm();
    d.shoot(prefix + QStringLiteral("-job-name"));
    d.click(start);

    const QString path = platform::jobsFolderPath() + QLatin1Char('/') + name + QStringLiteral(".xml");
    d.waitFor([&] { return QFileInfo(path).isFile(); }, QStringLiteral("the job file %1").arg(path));
    QFile file(path);
    QDomDocument document;
    QString error;
    d.require(file.open(QIODevice::ReadOnly) && document.setContent(&file, &error),
              QStringLiteral("the job file %1 does not parse: %2").arg(path, error));
    d.item(QStringLiteral("frontPage"));
    d.item(QStringLiteral("jobInfoView_") + name);
    d.shoot(prefix + QStringLiteral("-job-on-front-page"));
    return path;
}

QQuickItem* jobDropArea(Driver& d, const QString& job)
{
    QQuickItem* strip = d.item(QStringLiteral("jobsNavigation"));
    for (int i = 0;; ++i) {
        QQuickItem* entry = Driver::child(strip, QStringLiteral("navJob%1").arg(i));
        if (!entry)
            break;
        const QList<QQuickItem*> texts = entry->childItems();
        if (!texts.isEmpty() && texts.first()->property("text").toString() == job) {
            if (currentJob().value(QStringLiteral("name")).toString() != job)
                d.click(entry);
            break;
        }
    }
    QQuickItem* view = d.item(QStringLiteral("jobInfoView_") + job);
    QQuickItem* list = d.item(QStringLiteral("frontJobList"));
    // The list settles with the job's view in sight.
    d.waitFor([&] { return std::fabs(view->mapToItem(list, QPointF(0, 0)).x()) < 1; },
              QStringLiteral("the job \"%1\" to be shown").arg(job));
    return d.itemIn(view, QStringLiteral("dropArea"));
}

CppImageWidget* waitForGridPage(Driver& d, int timeout)
{
    d.waitFor([&] {
        return d.isVisible(QStringLiteral("gridPlacement")) && mainTitle(d).contains(QLatin1String("Place the Grid"));
    }, QStringLiteral("the grid page \"Place the Grid\""), timeout);
    CppImageWidget* item = imageItem(d);
    d.waitFor([&] { return item->isLastShot(); }, QStringLiteral("the grid to be placed"), timeout);
    return item;
}

void pressStartProfiling(Driver& d, const QString& prefix)
{
    QQuickItem* forward = d.item(QStringLiteral("gridForward"));
    if (forward->property("text").toString() == QLatin1String("NEXT")) {
        // The expert settings come first when they are enabled.
        d.click(forward);
        d.item(QStringLiteral("settingsView"));
        d.shoot(prefix + QStringLiteral("-settings"));
        forward = d.item(QStringLiteral("gridForward"));
    }
    d.require(forward->property("text").toString() == QLatin1String("START PROFILING"),
              QStringLiteral("the forward button reads \"%1\"").arg(forward->property("text").toString()));
    d.click(forward);
}

QString waitForProfile(Driver& d, const QString& prefix)
{
    bool progressShown = false;
    d.waitFor([&] {
        if (!progressShown && d.isVisible(QStringLiteral("profilingProgress"))) {
            progressShown = true;
            d.shoot(prefix + QStringLiteral("-progress"));
        }
        return !currentJob().value(QStringLiteral("alertInformationTitle")).toString().isEmpty()
               || !currentJob().value(QStringLiteral("alertCriticalTitle")).toString().isEmpty()
               || !currentJob().value(QStringLiteral("alertWarningTitle")).toString().isEmpty();
    }, QStringLiteral("the profiling run to end"), 600000);
    d.require(progressShown, QStringLiteral("the progress page did not show"));
    d.require(currentJob().value(QStringLiteral("alertInformationTitle")).toString()
                  == QLatin1String("Successfully completed"),
              QStringLiteral("the run ended with \"%1\" / \"%2\"")
                  .arg(currentJob().value(QStringLiteral("alertCriticalMessage")).toString(),
                       currentJob().value(QStringLiteral("alertWarningMessage")).toString()));
    d.item(QStringLiteral("alertInformation"));
    d.waitForFrame();
    d.shoot(prefix + QStringLiteral("-completed"));
    const QString written = peltoQt::instance()->createdProfilePath();
    d.require(QFileInfo(written).isFile(), QStringLiteral("no profile at \"%1\"").arg(written));
    return written;
}

std::unique_ptr<pq_Job> storedJob(Driver& d, const QString& path)
{
    auto stored = std::make_unique<pq_Job>(QString(), QString());
    stored->readFromXML(path);
    d.require(stored->lastReadOutcome().isWhole(),
              QStringLiteral("%1 reads back in part: %2").arg(path, stored->lastReadOutcome().message));
    return stored;
}

void chooseExpertValue(Driver& d, const QString& tab, const QString& setting, const QString& value)
{
    d.click(QStringLiteral("segment_") + tab);
    const QString entry = QStringLiteral("popupEntry_") + value;
    // The settings slide in: the list is opened once they rest.
    for (int attempt = 0; attempt < 5 && !d.isVisible(entry); ++attempt) {
        d.pause(500);
        d.click(QStringLiteral("comboBox_") + setting);
        d.pause(300);
    }
    d.click(entry);
    d.pause(300);
}
