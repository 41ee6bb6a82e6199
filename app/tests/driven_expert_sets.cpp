// Sets of expert settings through the program's window as a user works
// them: a set saved from one job's settings, applied to a second job, and
// deleted; the set file on disk and the second job's file checked after
// each step. A screenshot follows every step.
//   --keep DIR  keeps the screenshots in DIR
#include "Driver.h"
#include "DriverSteps.h"

#include "controller/peltoQt.h"
#include "controller/pq_SetFile.h"
#include "jobs/pq_Job.h"
#include "jobs/pq_jobExpertSettings.h"
#include "jobs/pq_jobInfo.h"
#include "platform/program_folders.h"

#include <QFile>
#include <QFileInfo>
#include <QQmlPropertyMap>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <cstdio>
#include <memory>

namespace {

const QString kSet = QStringLiteral("Warm light");
// The camera's exposure offset in half stops, one of the set's settings.
const QString kOffset = QStringLiteral("1.5");

// The current job's settings give the exposure offset that value.
bool jobHasOffset(const QString& value)
{
    return currentJob().value(QStringLiteral("expert")).toString().contains(
        QStringLiteral("<name>exposureOffset</name><value>%1</value>").arg(value));
}

QString setPath(const QString& name) { return platform::setsFolderPath() + QLatin1Char('/') + name + QStringLiteral(".xml"); }

// The set file read back as applying it reads it.
pq_jobExpertSettings storedSet(Driver& d, const QString& path)
{
    QFile file(path);
    d.require(file.open(QIODevice::ReadOnly), QStringLiteral("no set file %1").arg(path));
    pq_jobExpertSettings expert;
    pq_jobInfo info;
    QString message;
    d.require(pq_readSetFile(file.readAll(), path, expert, info, &message),
              QStringLiteral("the set file %1 does not read: %2").arg(path, message));
    return expert;
}

// The first visible item below root whose text reads text, or null.
QQuickItem* visibleText(QQuickItem* root, const QString& text)
{
    for (QQuickItem* child : root->childItems()) {
        if (!child->isVisible())
            continue;
        if (child->property("text").toString() == text)
            return child;
        if (QQuickItem* found = visibleText(child, text))
            return found;
    }
    return nullptr;
}

// Opens the set bar's list of sets and clicks the entry in its popup.
void chooseSet(Driver& d, const QString& name)
{
    d.click(QStringLiteral("setsCombo"));
    auto* popup = qobject_cast<QQuickWindow*>(d.otherWindow());
    d.require(popup != nullptr, QStringLiteral("the list of sets is no window of items"));
    QQuickItem* entry = nullptr;
    d.waitFor([&] { return (entry = visibleText(popup->contentItem(), name)) != nullptr; },
              QStringLiteral("\"%1\" in the list of sets").arg(name));
    d.pause(300);  // the list opens
    d.shootScreen(QStringLiteral("sets-listed"));
    const QPoint at = entry->mapToScene(QPointF(entry->width() / 2, entry->height() / 2)).toPoint();
    QTest::mouseMove(popup, at);
    d.pause(100);
    // The list takes a press and a release apart, as a hand gives them.
    QTest::mousePress(popup, Qt::LeftButton, Qt::NoModifier, at);
    d.pause(150);
    QTest::mouseRelease(popup, Qt::LeftButton, Qt::NoModifier, at);
    d.pause(500);
    if (d.hasOtherWindow()) {
        fprintf(stdout, "the list of sets stays open on a click: Return chooses the entry under the pointer\n");
        QTest::keyClick(popup, Qt::Key_Return);
    }
    d.waitFor([&] { return !d.hasOtherWindow(); }, QStringLiteral("the list of sets to close"));
}

void chooseExposureOffset(Driver& d, const QString& value)
{
    chooseExpertValue(d, QStringLiteral("CAMERA"), QStringLiteral("exposureOffset"), value);
    d.waitFor([&] { return jobHasOffset(value); },
              QStringLiteral("the exposure offset \"%1\" to be chosen").arg(value));
}

// The first job's settings: the exposure offset changed and saved as a set.
void saveSet(Driver& d)
{
    chooseExposureOffset(d, kOffset);
    d.waitForFrame();
    d.shoot(QStringLiteral("51-setting-changed"));
    d.click(QStringLiteral("setSave"));
    QQuickItem* ask = d.item(QStringLiteral("alertSaveSet"));
    d.replaceText(QStringLiteral("nameField"), kSet);
    d.waitForFrame();
    d.shoot(QStringLiteral("52-set-name"));
    d.click(d.itemIn(ask, QStringLiteral("alertOK")));
    d.waitFor([&] { return QFileInfo(setPath(kSet)).isFile(); }, QStringLiteral("the set file %1").arg(setPath(kSet)));
    d.waitFor([&] { return d.text(QStringLiteral("setNameField")) == kSet; },
              QStringLiteral("the set bar to name \"%1\" (it reads \"%2\")")
                  .arg(kSet, d.text(QStringLiteral("setNameField"))));
    const pq_jobExpertSettings stored = storedSet(d, setPath(kSet));
    d.require(stored.exposureOffsetValue() == 1.5,
              QStringLiteral("the set file keeps the exposure offset %1").arg(stored.exposureOffsetValue()));
    fprintf(stdout, "set \"%s\" saved: %s, exposure offset %.1f\n", qPrintable(kSet), qPrintable(setPath(kSet)),
            stored.exposureOffsetValue());
    d.waitForFrame();
    d.shoot(QStringLiteral("53-set-saved"));
}

// The second job's settings: the set chosen in the bar.
void applySet(Driver& d)
{
    // Another value first: the set is seen to bring its own.
    fprintf(stdout, "the second job's settings open with the exposure offset %s, the set \"%s\"\n",
            jobHasOffset(kOffset) ? qPrintable(kOffset) : "other than the set's",
            qPrintable(currentJob().value(QStringLiteral("expertSetName")).toString()));
    chooseExposureOffset(d, QStringLiteral("0.5"));
    d.waitFor([&] { return d.text(QStringLiteral("setNameField")) != kSet; },
              QStringLiteral("the set bar to mark the changed setting"));
    d.waitForFrame();
    d.shoot(QStringLiteral("54-other-offset"));
    chooseSet(d, kSet);
    d.waitFor([] { return jobHasOffset(kOffset); }, QStringLiteral("the set's exposure offset on the second job"));
    d.waitFor([&] { return d.text(QStringLiteral("setNameField")) == kSet; },
              QStringLiteral("the set bar to name \"%1\" (it reads \"%2\")")
                  .arg(kSet, d.text(QStringLiteral("setNameField"))));
    d.click(QStringLiteral("segment_CAMERA"));
    d.pause(500);
    d.waitForFrame();
    d.shoot(QStringLiteral("55-set-applied"));
    // The first tab shows the settings every kind of profile shares.
    d.click(QStringLiteral("segment_ALL"));
    d.item(QStringLiteral("expert_profileOptimization"));
    d.require(!d.isVisible(QStringLiteral("expert_exposureOffset")),
              QStringLiteral("the tab of all profiles shows the camera's exposure offset"));
    d.waitForFrame();
    d.shoot(QStringLiteral("55-all-profiles"));
}

// A third job's settings: the set chosen and deleted; the job keeps the
// settings it was given, the set is gone from the disk and from the bar.
void deleteSet(Driver& d)
{
    chooseSet(d, kSet);
    d.waitFor([&] { return d.text(QStringLiteral("setNameField")) == kSet; },
              QStringLiteral("the set bar to name \"%1\"").arg(kSet));
    d.click(QStringLiteral("setDelete"));
    QQuickItem* ask = d.item(QStringLiteral("alertDeleteSet"));
    d.waitForFrame();
    d.shoot(QStringLiteral("57-delete-question"));
    d.click(d.itemIn(ask, QStringLiteral("alertOK")));
    d.waitFor([&] { return !QFileInfo::exists(setPath(kSet)); },
              QStringLiteral("the set file %1 to be gone").arg(setPath(kSet)));
    QQmlPropertyMap& sets = *peltoQt::instance()->allSets();
    d.waitFor([&] { return sets.value(QStringLiteral("list")).toString().isEmpty(); },
              QStringLiteral("the list of sets to be empty (it holds \"%1\")")
                  .arg(sets.value(QStringLiteral("list")).toString()));
    d.require(d.findVisible(QStringLiteral("setDelete"))->property("enabled").toBool() == false,
              QStringLiteral("DELETE stays enabled with no set chosen"));
    d.require(jobHasOffset(kOffset),
              QStringLiteral("deleting the set changed the job's settings"));
    fprintf(stdout, "set \"%s\" deleted: the file is gone, the list of sets empty\n", qPrintable(kSet));
    d.waitForFrame();
    d.shoot(QStringLiteral("58-set-deleted"));
}

}  // namespace

int vp_driverScenario(Driver& d, const QStringList& arguments)
{
    keepScreenshots(d, arguments);
    d.window();
    skipIntro(d);

    const QString first = createJob(d, QStringLiteral("Set source"), QStringLiteral("ColorChecker"),
                                    QStringLiteral("50"), true, [&] { saveSet(d); });
    {
        const std::unique_ptr<pq_Job> stored = storedJob(d, first);
        d.require(stored->expertSetName() == kSet && stored->jobExpertSettings().exposureOffsetValue() == 1.5,
                  QStringLiteral("the first job file names the set \"%1\" with the exposure offset %2")
                      .arg(stored->expertSetName())
                      .arg(stored->jobExpertSettings().exposureOffsetValue()));
    }

    const QString second = createJob(d, QStringLiteral("Set applied"), QStringLiteral("ColorChecker"),
                                     QStringLiteral("54"), true, [&] { applySet(d); });
    {
        const std::unique_ptr<pq_Job> stored = storedJob(d, second);
        d.require(stored->expertSetName() == kSet && stored->jobExpertSettings().exposureOffsetValue() == 1.5,
                  QStringLiteral("the second job file names the set \"%1\" with the exposure offset %2")
                      .arg(stored->expertSetName())
                      .arg(stored->jobExpertSettings().exposureOffsetValue()));
        fprintf(stdout, "second job saved with the set \"%s\": exposure offset %.1f in %s\n",
                qPrintable(stored->expertSetName()), stored->jobExpertSettings().exposureOffsetValue(),
                qPrintable(second));
    }

    const QString third = createJob(d, QStringLiteral("Set deleted"), QStringLiteral("ColorChecker"),
                                    QStringLiteral("56"), true, [&] { deleteSet(d); });
    {
        const std::unique_ptr<pq_Job> stored = storedJob(d, third);
        d.require(stored->jobExpertSettings().exposureOffsetValue() == 1.5,
                  QStringLiteral("the third job file lost the settings of the deleted set"));
        d.require(stored->expertSetName().isEmpty(),
                  QStringLiteral("the third job file names the deleted set \"%1\"").arg(stored->expertSetName()));
        fprintf(stdout, "third job saved after the delete: set name \"%s\", exposure offset %.1f\n",
                qPrintable(stored->expertSetName()), stored->jobExpertSettings().exposureOffsetValue());
    }
    d.require(!QFileInfo::exists(setPath(kSet)), QStringLiteral("the deleted set came back"));
    return 0;
}
