// A jobs folder holding, beside a job, what no job reads whole: the front
// page names each such file once; saving the job whose file repeats an
// element says why and saves the work under a new name; no file of the
// folder changes.
#include "Driver.h"

#include "platform/program_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QQuickItem>

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString messageOf(Driver& d, QQuickItem* alert)
{
    QQuickItem* message = d.findVisibleIn(alert, QStringLiteral("alertMessage"));
    return message ? message->property("text").toString() : QString();
}

}  // namespace

int vp_driverScenario(Driver& d, const QStringList&)
{
    const QString folder = platform::jobsFolderPath();
    const QByteArray twice = contents(folder + QStringLiteral("/Twice.xml"));
    const QByteArray upper = contents(folder + QStringLiteral("/Studio.XML"));
    d.require(!twice.isEmpty() && !upper.isEmpty(), QStringLiteral("the store was not seeded"));

    d.window();
    d.item(QStringLiteral("intro1"));
    d.click(QStringLiteral("skipIntro"));
    d.item(QStringLiteral("frontPage"));
    QQuickItem* warning = d.item(QStringLiteral("jobAlertWarning"));
    const QString told = messageOf(d, warning);
    for (const char* file : {"Twice.xml does not read whole", "Studio.XML", "Pipe.xml", "Gone.xml",
                             "System.xml is not read as a job: it is a link to a file outside"})
        d.require(told.count(QLatin1String(file)) == 1,
                  QStringLiteral("the warning names \"%1\" %2 times: %3").arg(file).arg(told.count(QLatin1String(file))).arg(told));
    d.pause(800);
    d.waitForFrame();
    d.shoot(QStringLiteral("01-jobs-folder-warning"));
    d.click(d.findVisibleIn(warning, QStringLiteral("alertOK")));
    d.waitFor([&] { return !d.isVisible(QStringLiteral("jobAlertWarning")); }, QStringLiteral("the warning closed"));

    // Saving over the file with the repeated element.
    d.click(QStringLiteral("segment_JOB EDITOR"));
    QQuickItem* tile = d.item(QStringLiteral("jobTile_Twice"));
    d.pause(1000);
    QQuickItem* edit = nullptr;
    d.waitFor([&] { return (edit = d.findVisibleIn(tile, QStringLiteral("tileEdit"))) != nullptr; },
              QStringLiteral("the tile's edit button"));
    d.click(edit);
    d.click(QStringLiteral("saveJob"));
    d.click(QStringLiteral("saveJobStart"));
    d.click(d.findVisibleIn(d.item(QStringLiteral("alertJobExists")), QStringLiteral("alertOK")));
    QQuickItem* asNew = d.item(QStringLiteral("alertSaveAsNew"));
    const QString why = messageOf(d, asNew);
    d.require(why.contains(QLatin1String("line 7: element Job_ExpertSetName is repeated")),
              QStringLiteral("the refusal reads: %1").arg(why));
    d.pause(500);
    d.waitForFrame();
    d.shoot(QStringLiteral("02-cannot-save-over"));
    d.click(d.findVisibleIn(asNew, QStringLiteral("alertOK")));
    QQuickItem* rename = d.item(QStringLiteral("alertRenameSaveJob"));
    d.pause(500);
    d.waitForFrame();
    d.shoot(QStringLiteral("03-save-under-new-name"));
    d.click(d.findVisibleIn(rename, QStringLiteral("saveJobSave")));
    d.waitFor([&] { return QFileInfo::exists(folder + QStringLiteral("/Twice copy.xml")); },
              QStringLiteral("the job saved as \"Twice copy\""));

    d.require(contents(folder + QStringLiteral("/Twice.xml")) == twice, QStringLiteral("Twice.xml changed"));
    d.require(contents(folder + QStringLiteral("/Studio.XML")) == upper, QStringLiteral("Studio.XML changed"));
    d.require(QFileInfo(folder + QStringLiteral("/Gone.xml")).isSymLink()
                  && QFileInfo(folder + QStringLiteral("/System.xml")).isSymLink()
                  && QFileInfo::exists(folder + QStringLiteral("/Pipe.xml")),
              QStringLiteral("an entry of the folder is gone"));
    return 0;
}
