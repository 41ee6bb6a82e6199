// Targets, shots, the profiling stage, quality control, profile comparison,
// the menu, the manual, interface scaling and the alerts.
#include "ControllerTestSupport.h"

#include "settings/pq_Settings.h"
#include "controller/peltoQt.h"
#include "jobs/pq_Job.h"
#include "jobs/pq_JobListIF.h"
#include "jobs/pq_targetInfo.h"
#include "platform/desktop.h"
#include "platform/program_folders.h"

#include <QDesktopServices>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QImage>
#include <QQmlProperty>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <memory>

namespace {

// The names of the templates an "allTargets" text marks as selected.
QStringList selectedTemplates(const QString& xml)
{
    QDomDocument document;
    document.setContent(xml);
    QStringList names;
    const QDomNodeList targets = document.elementsByTagName("target");
    for (int i = 0; i < targets.size(); ++i) {
        const QDomElement target = targets.at(i).toElement();
        if (target.attribute("selected") == "true")
            names << target.firstChildElement("name").text();
    }
    return names;
}

}  // namespace

// Catches the URLs the desktop would open.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls << url; }
};

// Notes the order in which keys of a map change.
class ShellKeyRecorder : public QObject {
    Q_OBJECT

public:
    QStringList* order = nullptr;
    QString key;

public slots:
    void hit() { order->append(key); }
};

// Stands for the application object's menu slots.
class MenuRecorder : public QObject {
    Q_OBJECT

public:
    QStringList calls;

public slots:
    void catchActionPreferences() { calls << "preferences"; }
    void catchActionUpdate() { calls << "update"; }
    void catchActionSupport() { calls << "support"; }
    void catchActionAbout() { calls << "about"; }
};

class ShellTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScratchHome> home;
    std::unique_ptr<peltoQt> controller;
    std::unique_ptr<RecordingImageItem> item;
    UrlCatcher catcher;

    void start()
    {
        controller = std::make_unique<peltoQt>();
        controller->init(QCoreApplication::applicationFilePath());
    }
    void attachItem()
    {
        item = std::make_unique<RecordingImageItem>();
        controller->setImageItem(item.get(), item.get());
        controller->setMagnifier(item.get(), item.get());
    }
    QVariant job(const char* key) { return controller->currentJobMap()->value(key); }
    QVariant patch(const char* key) { return controller->qaPatchInfo()->value(key); }

    static void writeTemplate(const QString& name)
    {
        const QString folder = platform::templatesFolderPath() + "/Targets";
        QVERIFY(QDir().mkpath(folder));
        std::unique_ptr<pq_targetInfo> description(ScratchHome::colourTarget());
        description->name = name;
        QFile file(folder + "/" + name + ".xml");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(("<?xml version='1.0' encoding='UTF-8'?>\n" + description->makeExportXMLString(true)).toUtf8());
    }
    // A loaded job of that name with two targets, the second a clone, and
    // the camera illuminant "D65 + Std. Illuminant A" when dual.
    pq_Job* twoTargetJob(const QString& name, bool dual)
    {
        home->writeJob(name);
        start();
        int index = -1;
        int enabled = -1;
        auto found = qobject_cast<pq_Job*>(controller->findJob(name, index, enabled));
        if (!found)
            return nullptr;
        pq_targetInfo* clone = ScratchHome::colourTarget();
        clone->name = "ColorChecker clone";
        found->addTargetInfo(clone);
        found->targetInfos().at(1)->isClone = true;
        if (dual)
            found->jobExpertSettings().applyScannerRule("cameraIlluminant", "D65 + Std. Illuminant A", false);
        return found;
    }

private slots:
    void initTestCase()
    {
        QDesktopServices::setUrlHandler("file", &catcher, "open");
        QDesktopServices::setUrlHandler("https", &catcher, "open");
        QDesktopServices::setUrlHandler("http", &catcher, "open");
        platform::setFileManagerShower([this](const QString& path) {
            catcher.open(QUrl::fromLocalFile(path));
            return true;
        });
    }
    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler("file");
        QDesktopServices::unsetUrlHandler("https");
        QDesktopServices::unsetUrlHandler("http");
        platform::setFileManagerShower({});
        platform::setScreenLogicalDpiSource({});
    }
    void init()
    {
        catcher.urls.clear();
        home = std::make_unique<ScratchHome>();
    }
    void cleanup()
    {
        controller.reset();
        item.reset();
        home.reset();
    }

    // A new job's chosen target shows as selected in the templates list and
    // can be deselected again.
    void selectTargetsOfNewJob()
    {
        writeTemplate("ColorChecker");
        writeTemplate("IT8");
        start();
        QSignalSpy completed(controller.get(), &peltoQt::targetSelectionCompleted);
        controller->targetSelected("IT8");
        QCOMPARE(completed.count(), 1);
        QCOMPARE(job("targetCount").toInt(), 1);
        QCOMPARE(controller->templateJob()->targetInfos().at(0)->name, QString("IT8"));
        QCOMPARE(selectedTemplates(controller->allTargets()->value("xml").toString()), QStringList{"IT8"});
        QCOMPARE(controller->allTargets()->value("firstSelectedIndex").toInt(), 1);
        QVERIFY(job("targets").toString().contains("IT8"));

        // Repeats and unknown names change nothing.
        controller->targetSelected("IT8");
        controller->targetSelected("Unknown");
        controller->targetUnselected("ColorChecker");
        QCOMPARE(completed.count(), 1);
        QCOMPARE(controller->templateJob()->targetInfos().size(), 1);

        controller->targetUnselected("IT8");
        QCOMPARE(completed.count(), 2);
        QCOMPARE(job("targetCount").toInt(), 0);
        QVERIFY(selectedTemplates(controller->allTargets()->value("xml").toString()).isEmpty());
        QCOMPARE(controller->allTargets()->value("firstSelectedIndex").toInt(), 0);
    }

    // The targets after a removed one keep their own shots and images.
    void unselectKeepsTheOthersState()
    {
        pq_Job* found = twoTargetJob("A", false);
        QVERIFY(found);
        QVERIFY(controller->setCurrentJob("A", "tileView", false));
        found->setCurrentTargetIndex(1);
        found->setChartImagePath("/shots/second.tif");
        found->setCurrentTargetIndex(0);
        found->setChartImagePath("/shots/first.tif");
        controller->targetUnselected("ColorChecker");
        QCOMPARE(found->targetInfos().size(), 1);
        QCOMPARE(found->targetInfos().at(0)->name, QString("ColorChecker clone"));
        QCOMPARE(found->currentTargetIndex(), 0);
        QCOMPARE(found->chartImagePath(), QString("/shots/second.tif"));
        QCOMPARE(job("targetCount").toInt(), 1);
    }

    void referenceFile()
    {
        writeTemplate("ColorChecker");
        writeTemplate("IT8");
        home->writeJob("A");
        start();
        QVERIFY(controller->setCurrentJob("A", "tileView", false));
        const QString url = QUrl::fromLocalFile(home->path() + "/refs/cc.txt").toString();
        controller->changeTargetReferenceFile("Unknown", url);
        controller->changeTargetReferenceFile("ColorChecker", url);
        QCOMPARE(controller->findTargetTemplate("ColorChecker")->fileUrl(false), url);
        QVERIFY(controller->findTargetTemplate("IT8")->fileUrl(false) != url);
        QCOMPARE(controller->currentJob()->targetInfos().at(0)->fileUrl(false), url);
        QCOMPARE(selectedTemplates(controller->allTargets()->value("xml").toString()),
                 QStringList{"ColorChecker"});
        QCOMPARE(controller->allTargets()->value("firstSelectedIndex").toInt(), 0);
    }

    void nextTargetForDrop()
    {
        pq_Job* found = twoTargetJob("A", false);
        QVERIFY(found);
        QVERIFY(controller->setCurrentJob("A", "tileView", false));
        QSignalSpy preLoaded(controller.get(), &peltoQt::imagePreLoaded);
        QSignalSpy loaded(controller.get(), &peltoQt::imageLoaded);
        QVERIFY(controller->selectNextTarget4Drop());
        QCOMPARE(found->currentTargetIndex(), 1);
        QCOMPARE(job("currentTarget").toInt(), 1);
        QCOMPARE(job("previousTargetIcon").toString(), QString("image://targets/A.0"));
        QCOMPARE(job("currentTargetIcon").toString(), QString("image://targets/A.1"));
        QCOMPARE(preLoaded.count(), 1);
        QCOMPARE(loaded.count(), 0);
        QTRY_COMPARE(loaded.count(), 1);

        QVERIFY(!controller->selectNextTarget4Drop());
        QCOMPARE(found->currentTargetIndex(), 1);
        QCOMPARE(preLoaded.count(), 1);
    }

    void tints()
    {
        QVERIFY(twoTargetJob("A", true));
        QCOMPARE(controller->getTargetTint("A", 0), QString("blue"));
        QCOMPARE(controller->getTargetTint("A", 1), QString("yellow"));
        QCOMPARE(controller->getTargetTint("A", 2), QString("transparent"));
        QCOMPARE(controller->getTargetTint("nobody", 0), QString("transparent"));
        QVERIFY(controller->setCurrentJob("A", "tileView", false));
        controller->setTargets4UIAnimation(1, 5);
        QCOMPARE(job("previousTint").toString(), QString("yellow"));
        QCOMPARE(job("currentTint").toString(), QString("blue"));
        QCOMPARE(job("currentTargetIcon").toString(), QString());

        cleanup();
        init();
        QVERIFY(twoTargetJob("B", false));
        QCOMPARE(controller->getTargetTint("B", 1), QString("transparent"));
        QVERIFY(controller->setCurrentJob("B", "tileView", false));
        controller->setTargets4UIAnimation(0, 1);
        QCOMPARE(job("previousTint").toString(), QString());
        QCOMPARE(job("currentTint").toString(), QString());
    }

    // "#", "?" and "%" in a job name would cut the picture's id.
    void iconNamesAreEncoded()
    {
        QVERIFY(twoTargetJob("Studio #2 %", false));
        QVERIFY(controller->setCurrentJob("Studio #2 %", "tileView", false));
        controller->setTargets4UIAnimation(0, 1);
        const QString icon = job("currentTargetIcon").toString();
        QCOMPARE(icon, QString("image://targets/Studio%20%232%20%25.1"));
        QCOMPARE(QUrl(icon).path(), QString("/Studio #2 %.1"));
    }

    // A shot file of that name in the scratch home: a TIFF's first bytes.
    QString shotFile(const QString& name)
    {
        const QString path = home->path() + "/Shots/" + name;
        QDir().mkpath(home->path() + "/Shots");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.write(QByteArray("II*\0\x08\0\0\0", 8));
        return path;
    }

    void shots()
    {
        pq_Job* found = twoTargetJob("A", true);
        QVERIFY(found);
        QVERIFY(controller->setCurrentJob("A", "tileView", false));
        attachItem();
        const QString one = shotFile("one.tif");
        const QString two = shotFile("two.tif");
        const QString three = shotFile("three.tif");
        // One drop of two files on two waiting targets: one file each; the
        // second target loads its shot once the first one's load made it current.
        const QVariantList outcomes = controller->dropShots({one, two});
        QCOMPARE(outcomes.size(), 2);
        QCOMPARE(outcomes.at(1).toMap().value("target").toInt(), 1);
        QCOMPARE(found->targetInfos().at(0)->shots, QStringList{one});
        QCOMPARE(found->targetInfos().at(1)->shots, QStringList{two});
        QCOMPARE(item->calls, QStringList{"setShot:" + one});
        QVERIFY(controller->selectNextTarget4Drop());
        QTRY_COMPARE(item->calls, (QStringList{"setShot:" + one, "setShot:" + two}));
        QVERIFY(job("currentTargetShots").toString().contains("two.tif"));
        // On the last target a further file is its further shot, and told.
        item->calls.clear();
        controller->dropShot(three);
        QCOMPARE(found->targetInfos().at(1)->shots, (QStringList{two, three}));
        QCOMPARE(job("alertInformationTitle").toString(), QString("Further shots"));
        QVERIFY(job("alertInformationMessage").toString().contains("three.tif: shot 2 of target 2"));

        // A web address or a folder is no shot, and the alert says why.
        item->calls.clear();
        for (const QString& notAShot : {QString("https://example.com/three.tif"), QDir::tempPath(),
                                        QUrl::fromLocalFile(QDir::tempPath()).toString()})
            controller->dropShot(notAShot);
        QCOMPARE(found->targetInfos().at(1)->shots, (QStringList{two, three}));
        QVERIFY(item->calls.isEmpty());
        QVERIFY(job("alertWarningMessage").toString().contains("a folder, not a shot"));

        found->setCurrentTargetIndex(0);
        found->targetInfos().at(0)->addShot(three);
        controller->loadShot4Profiling(1);
        controller->loadShot4Profiling(2);
        controller->selectTarget4Profiling(7);
        QCOMPARE(found->currentTargetIndex(), 0);
        controller->selectTarget4Profiling(1);
        // Dual illuminant: 3 for the first target, 2 for the others.
        QCOMPARE(item->calls, (QStringList{"selectShot:" + three + ":3", "selectShot:" + two + ":2"}));

        item->calls.clear();
        controller->dropC1Tif("https://example.org/a.tif");
        controller->dropC1Tif(QUrl::fromLocalFile("/shots/c1.tif").toString());
        QCOMPARE(item->calls, QStringList{"setC1TifPath:/shots/c1.tif"});
    }

    // The shot browser opens where the last shot came from, else in the
    // pictures folder, else at home, and offers what the loader reads.
    void shotBrowser()
    {
        QVERIFY(twoTargetJob("A", true));
        QVERIFY(controller->setCurrentJob("A", "tileView", false));
        const QString home = QDir::homePath();
        const QString pictures = home + "/Pictures";
        QDir(pictures).removeRecursively();
        QCOMPARE(controller->shotBrowseFolder(), QUrl::fromLocalFile(home).toString());
        QVERIFY(QDir().mkpath(pictures));
        QCOMPARE(controller->shotBrowseFolder(), QUrl::fromLocalFile(pictures).toString());
        const QString shots = home + "/shoot 1";
        QVERIFY(QDir().mkpath(shots));
        // Only a file that reads as a picture is taken as a shot.
        const QString shot = shots + "/IMG_0001.png";
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::gray);
        QVERIFY(picture.save(shot));
        controller->dropShot(QUrl::fromLocalFile(shot).toString());
        QCOMPARE(controller->shotBrowseFolder(), QUrl::fromLocalFile(shots).toString());
        // A folder or a web address is no shot and leaves the folder.
        controller->dropShot(QUrl::fromLocalFile(pictures).toString());
        controller->dropShot("https://example.com/x.tif");
        QCOMPARE(controller->shotBrowseFolder(), QUrl::fromLocalFile(shots).toString());
        QVERIFY(QDir(shots).removeRecursively());
        QCOMPARE(controller->shotBrowseFolder(), QUrl::fromLocalFile(pictures).toString());
        QVERIFY(QDir(pictures).removeRecursively());

        const QStringList filters = controller->shotNameFilters();
        QCOMPARE(filters.size(), 2);
        QCOMPARE(filters.last(), QString("All files (*)"));
        QVERIFY2(filters.first().startsWith("Shots: camera raw, TIFF, JPEG, PNG (*."), qPrintable(filters.first()));
        const QString inside = filters.first().section('(', 1).chopped(1);
        const QStringList patterns = inside.split(' ');
        for (const char* name : {"a.dng", "A.DNG", "b.CR2", "c.cr3", "d.NEF", "e.arw", "f.RAF", "g.tif", "h.TIFF",
                                 "i.jpg", "j.JPEG", "k.png", "l.bmp"})
            QVERIFY2(QDir::match(patterns, QString::fromLatin1(name)), name);
        for (const char* name : {"notes.pdf", "a.xml", "profile.icc"})
            QVERIFY2(!QDir::match(patterns, QString::fromLatin1(name)), name);
    }

    void loadProgress()
    {
        start();
        controller->catchImageProgress(0.999);
        QCOMPARE(job("imageProgress"), QVariant(99));
        controller->catchImageLoading(true);
        QCOMPARE(job("imageProgress"), QVariant(99));
        controller->catchImageLoading(false);
        QCOMPARE(job("imageProgress"), QVariant(100));
        controller->catchC1TifProgress(0.5);
        QCOMPARE(job("C1TifProgress"), QVariant(50));
    }

    void profileName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("prefixLength");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("rest");
        QTest::newRow("split") << "ABCprofile" << 3 << "ABC" << "profile";
        QTest::newRow("no prefix") << "profile" << 0 << "" << "profile";
        QTest::newRow("prefix too long") << "AB" << 5 << "AB" << "";
        QTest::newRow("slash") << "AB/x" << 2 << "" << "unnamed";
        QTest::newRow("backslash") << "AB\\x" << 2 << "" << "unnamed";
        QTest::newRow("control") << "AB\nx" << 2 << "" << "unnamed";
        QTest::newRow("colon") << "AB:x" << 2 << "" << "unnamed";
    }
    void profileName()
    {
        QFETCH(QString, name);
        QFETCH(int, prefixLength);
        QFETCH(QString, prefix);
        QFETCH(QString, rest);
        home->writeJob("A");
        start();
        QVERIFY(controller->setCurrentJob("A", "tileView", false));
        controller->currentJob()->setProfileName("before");
        controller->setProfileName(name, prefixLength);
        QCOMPARE(job("profileNamePrefix").toString(), prefix);
        QCOMPARE(job("profileName").toString(), rest);
        QCOMPARE(controller->currentJob()->profileName(), rest == "unnamed" ? QString("before") : name);
    }

    void profilingStage()
    {
        start();
        attachItem();
        controller->toggleColorPicker(true);
        controller->setCompareProfileActiveChecked(true);
        item->calls.clear();
        controller->setProfilingStage("Quality Control");
        QCOMPARE(controller->getProfilingStage(), QString("Quality Control"));
        QCOMPARE(controller->qaColorPicker()->value("visible").toBool(), false);
        // The page opens on the judged profile: a comparison chosen now waits
        // for the check box.
        controller->selectedProfileCompareChanged("Cam1");
        QCOMPARE(item->calls, (QStringList{"setGridMovable:0", "setLightnessControlVisible:0"}));
        item->calls.clear();
        controller->setProfilingStage("Grid");
        QCOMPARE(item->calls,
                 (QStringList{"setGridMovable:1", "setLightnessControlVisible:1", "applyImageProfile"}));
    }

    void resetAndTemporaries()
    {
        home->writeJob("A");
        start();
        attachItem();
        QVERIFY(controller->setCurrentJob("A", "tileView", false));
        QSignalSpy reset(controller.get(), &peltoQt::currentJobReset);
        item->calls.clear();
        controller->resetRuntime(true, false);
        QCOMPARE(item->calls, QStringList{"resetShotState:1"});
        QCOMPARE(reset.count(), 0);
        controller->resetRuntime(false, true);
        QCOMPARE(reset.count(), 1);
        QVERIFY(item->calls.contains("setJobByName:A"));

        pq_jobExpertSettings& expert = controller->currentJob()->jobExpertSettings();
        expert.applyScannerRule("cameraIlluminant", "D65 + Std. Illuminant A", true);
        QCOMPARE(expert.cameraIlluminantIndex(), 1);
        controller->currentJobMap()->insert("expertRemoveAllTab", false);
        controller->clearTemporaries();
        QCOMPARE(expert.cameraIlluminantIndex(), 0);
        QCOMPARE(job("expertRemoveAllTab").toBool(), true);
        QVERIFY(!job("expert").toString().isEmpty());
    }

    void patchInfo()
    {
        start();
        controller->catchPatchInfo(true, 10, 20, true, QColor(5, 200, 255), QColor(0, 0, 0), 1.01, 2.02,
                                   3.03, 4.04, 5.05, 6.06, 7.07, 8.08, 9.09, 10.1, 11.11, 12.12,
                                   13.13, 14.14, 15.15, 16.16, 0, 2.26);
        QCOMPARE(patch("visible"), QVariant(true));
        QCOMPARE(patch("x"), QVariant(10));
        QCOMPARE(patch("y"), QVariant(20));
        QCOMPARE(patch("isGrey"), QVariant(true));
        QCOMPARE(patch("refColor").toString(), QString("#05c8ff"));
        QCOMPARE(patch("profColor").toString(), QString("#000000"));
        const char* keys[] = {"refL",  "refA",  "refB", "refC", "refH", "profL", "profA", "profB",
                              "profC", "profH", "delL", "delA", "delB", "delC",  "delH",  "delE"};
        const QString expected[] = {"1.0", "2.0",  "3.0",  "4.0",  "5.0",  "6.1",  "7.1",  "8.1",
                                    "9.1", "10.1", "11.1", "12.1", "13.1", "14.1", "15.2", "16.2"};
        for (int i = 0; i < 16; ++i)
            QCOMPARE(patch(keys[i]).toString(), expected[i]);
        QCOMPARE(patch("avgDE").toString(), QString());
        QCOMPARE(patch("maxDE").toString(), QString("2.3"));

        // A difference that rounds to zero has no sign.
        controller->catchPatchInfo(true, 10, 20, false, QColor(1, 1, 1), QColor(1, 1, 1), 50, 0, 0,
                                   0, 0, 50, 0, 0, 0, 0, -0.04, -0.001, 0.04, -0.0, -0.2, 0.1, 0, 0);
        QCOMPARE(patch("delL").toString(), QString("0.0"));
        QCOMPARE(patch("delA").toString(), QString("0.0"));
        QCOMPARE(patch("delB").toString(), QString("0.0"));
        QCOMPARE(patch("delC").toString(), QString("0.0"));
        QCOMPARE(patch("delH").toString(), QString("-0.2"));

        // While the picker shows, patch information is published as hidden.
        controller->toggleColorPicker(false);
        controller->catchPatchInfo(true, 1, 2, false, QColor(1, 1, 1), QColor(1, 1, 1), 9, 9, 9, 9, 9,
                                   9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9);
        QCOMPARE(patch("visible"), QVariant(false));
        QCOMPARE(patch("x"), QVariant(1));
        QCOMPARE(patch("refL").toString(), QString("50.0"));
    }

    void colourPicker()
    {
        start();
        attachItem();
        pq_Settings::instance()->setPickerRadius(3);
        QCOMPARE(controller->qaColorPicker()->value("visible").toBool(), false);
        controller->catchColorPicker(4, 5);
        QCOMPARE(controller->qaColorPicker()->value("x"), QVariant(4));
        QVERIFY(item->calls.isEmpty());

        controller->toggleColorPicker(false);
        controller->catchColorPicker(6, 7);
        // A null sample reaches no magnifier.
        QCOMPARE(item->calls, (QStringList{"sampleImage:6,7:32x32", "averageColor:3"}));
        item->calls.clear();
        item->sample = QImage(32, 32, QImage::Format_RGB32);
        controller->catchColorPicker(6, 7);
        QCOMPARE(item->calls.last(), QString("setImage"));

        controller->toggleColorPicker(false);
        QCOMPARE(controller->qaColorPicker()->value("visible").toBool(), false);

        // Items that are gone are not called.
        controller->toggleColorPicker(false);
        item.reset();
        controller->catchColorPicker(1, 1);
        controller->catchDeltaEThresholdsChanged();
        controller->setProfilingStage("Grid");
        controller->setCompareProfileActiveChecked(true);
        controller->dropShot("/x.tif");
        QCOMPARE(controller->qaColorPicker()->value("x"), QVariant(1));
    }

    void limits()
    {
        start();
        attachItem();
        pq_Settings::instance()->setColorDeltaEThresholdUpper(7.5);
        pq_Settings::instance()->setNeutralLightThreshold(1.5);
        controller->catchDeltaEThresholdsChanged();
        QCOMPARE(patch("limE2").toDouble(), 7.5);
        QCOMPARE(patch("limLG").toDouble(), 1.5);
        QCOMPARE(item->calls, QStringList{"catchDeltaEThresholdsChanged"});
    }

    void profileListText_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<bool>("filter");
        QTest::addColumn<QString>("text");
        QTest::newRow("endings") << QStringList{"Cam1.icc", "Cam2"} << "" << false << "Cam1|Cam2";
        QTest::newRow("dcp") << QStringList{"A.dcp", "B.DCP"} << "" << false << "A|B.DCP";
        QTest::newRow("prefix") << QStringList{"Canon.icc", "NikonD800 a.icc", "NikonD800.icc", "Nikon D800.icc"}
                                << "NikonD800" << true << "NikonD800 a|NikonD800";
        QTest::newRow("prefix unused") << QStringList{"Canon.icc", "NikonD800.icc"} << "NikonD800" << false
                                       << "Canon|NikonD800";
        QTest::newRow("empty") << QStringList{} << "" << true << "";
    }
    void profileListText()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, prefix);
        QFETCH(bool, filter);
        QFETCH(QString, text);
        QMap<QString, QString> list;
        for (const QString& name : names)
            list.insert(name, "/profiles/" + name);
        QCOMPARE(peltoQt::profileListText(list, prefix, filter), text);
    }

    void compareProfiles()
    {
        start();
        attachItem();
        controller->setProfileList({{"Cam1.icc", "/p/Cam1.icc"}, {"Cam2", "/p/Cam2"}});
        controller->refreshProfileList();
        QCOMPARE(controller->allProfiles()->value("list").toString(), QString("Cam1|Cam2"));
        QCOMPARE(job("compareProfileName").toString(), QString("Cam1"));
        QCOMPARE(controller->compareProfilePath(), QString("/p/Cam1.icc"));

        controller->selectedProfileCompareChanged("Cam2");
        controller->refreshProfileList();
        QCOMPARE(job("compareProfileName").toString(), QString("Cam2"));
        QVERIFY(item->calls.isEmpty());

        controller->setCreatedProfilePath("/p/new.icc");
        controller->setCompareProfileActiveChecked(false);
        controller->selectedProfileCompareChanged("Cam2");
        controller->setCompareProfileActiveChecked(true);
        controller->selectedProfileCompareChanged("Cam1");
        QCOMPARE(item->calls, (QStringList{"measureQuality:/p/new.icc", "measureQuality:/p/Cam2",
                                           "measureQuality:/p/Cam1.icc"}));

        controller->setProfileList({});
        controller->refreshProfileList();
        QCOMPARE(controller->allProfiles()->value("list").toString(), QString());
        QCOMPARE(job("compareProfileName").toString(), QString());
        QCOMPARE(controller->compareProfilePath(), QString());
    }

    // The lists come from the profiles installed in the scratch colour and
    // camera-profile folders; a DCP chart offers the camera profiles.
    void comparisonListsFromInstalledProfiles()
    {
        const QString shared = "/usr/share/rawtherapee";
        const QStringList icc = {"Canon EOS 20D.icc", "Canon EOS 40D.icc"};
        const QStringList dcp = {"Canon EOS 100D.dcp", "Canon EOS 1300D.dcp"};
        for (const QString& name : icc + dcp) {
            if (!QFileInfo::exists(shared + (name.endsWith(".icc") ? "/iccprofiles/input/" : "/dcpprofiles/") + name))
                QSKIP("rawtherapee-data's profiles are not installed");
        }
        const QString colour = home->path() + "/data/icc";
        const QString cameraProfiles = home->path() + "/data/Adobe/CameraRaw/CameraProfiles";
        QVERIFY(QDir().mkpath(colour));
        QVERIFY(QDir().mkpath(cameraProfiles));
        for (const QString& name : icc)
            QVERIFY(QFile::copy(shared + "/iccprofiles/input/" + name, colour + "/" + name));
        for (const QString& name : dcp)
            QVERIFY(QFile::copy(shared + "/dcpprofiles/" + name, cameraProfiles + "/" + name));
        // A file that is no profile is not offered.
        QFile broken(colour + "/broken.icc");
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a profile");
        broken.close();

        home->writeJob("A");
        start();
        QVERIFY(controller->setCurrentJob("A", "tileView", false));
        controller->currentJob()->setChartImagePath(home->path() + "/chart.tif");
        controller->refreshProfileList();
        const QString iccList = controller->allProfiles()->value("list").toString();
        QVERIFY2(iccList.contains("Canon EOS 20D") && iccList.contains("Canon EOS 40D"), qPrintable(iccList));
        QVERIFY(!iccList.contains("broken"));
        QVERIFY(iccList.split('|').contains(job("compareProfileName").toString()));
        QVERIFY(QFileInfo::exists(controller->compareProfilePath()));

        // The profile being judged is no comparison for itself; making one
        // and opening the quality page read the list afresh.
        const QString judged = colour + "/Canon EOS 20D.icc";
        controller->selectedProfileCompareChanged("Canon EOS 20D");
        controller->setCreatedProfilePath(judged);
        QString offered = controller->allProfiles()->value("list").toString();
        QVERIFY2(!offered.contains("Canon EOS 20D") && offered.contains("Canon EOS 40D"), qPrintable(offered));
        QVERIFY(offered.split('|').contains(job("compareProfileName").toString()));
        QVERIFY(QFileInfo(controller->compareProfilePath()) != QFileInfo(judged));
        QVERIFY(QFile::copy(shared + "/iccprofiles/input/Canon EOS 450D.icc", colour + "/Canon EOS 450D.icc"));
        controller->setProfilingStage("Quality Control");
        offered = controller->allProfiles()->value("list").toString();
        QVERIFY2(offered.contains("Canon EOS 450D") && !offered.contains("Canon EOS 20D"), qPrintable(offered));

        QFile chart(home->path() + "/dcp chart.txt");
        QVERIFY(chart.open(QIODevice::WriteOnly));
        chart.write("CGATS.17\nDESCRIPTOR\t\"DCP Profile\"\nNUMBER_OF_FIELDS 1\nBEGIN_DATA_FORMAT\n"
                    "SAMPLE_ID\nEND_DATA_FORMAT\nNUMBER_OF_SETS 1\nBEGIN_DATA\n1\nEND_DATA\n");
        chart.close();
        controller->currentJob()->setChartImagePath(chart.fileName());
        QVERIFY(controller->currentJob()->isDcpChart());
        controller->refreshProfileList();
        QCOMPARE(controller->allProfiles()->value("list").toString(), QString("Canon EOS 100D|Canon EOS 1300D"));
        QCOMPARE(job("compareProfileName").toString(), QString("Canon EOS 100D"));
        QCOMPARE(controller->compareProfilePath(), QFileInfo(cameraProfiles + "/Canon EOS 100D.dcp").absoluteFilePath());
    }

    void showProfile()
    {
        start();
        controller->showProfileInFinder("x");
        QVERIFY(catcher.urls.isEmpty());
        controller->setCreatedProfilePath("/p/new.icc");
        controller->showProfileInFinder("x");
        QCOMPARE(catcher.urls, QList<QUrl>{QUrl::fromLocalFile("/p/new.icc")});
    }

    void pdfManual_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("opened");
        QTest::newRow("language") << QStringList{"DE", "EN"} << "DE";
        QTest::newRow("english") << QStringList{"EN"} << "EN";
        QTest::newRow("none") << QStringList{} << "";
    }
    void pdfManual()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, opened);
        const QString folder = platform::pdfManualsFolderPath();
        if (QFileInfo::exists(folder))
            QSKIP("the program folder holds manuals of its own");
        QVERIFY(QDir().mkpath(folder));
        for (const QString& code : files) {
            QFile file(folder + "/" + code + " - Vandrelith pelto.pdf");
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        start();
        pq_Settings::instance()->setLanguage("de");
        controller->openPDFManual();
        QDir(folder).removeRecursively();
        if (opened.isEmpty()) {
            QVERIFY(catcher.urls.isEmpty());
        } else {
            QCOMPARE(catcher.urls.size(), 1);
            QCOMPARE(catcher.urls.at(0).toLocalFile(), folder + "/" + opened + " - Vandrelith pelto.pdf");
        }
    }

    void shell()
    {
        start();
        MenuRecorder menu;
        controller->setMenuReceiver(&menu);
        controller->menuAction_Preferences();
        controller->menuAction_CheckForUpdates();
        controller->menuAction_Support();
        controller->menuAction_About();
        QCOMPARE(menu.calls, (QStringList{"preferences", "update", "support", "about"}));
        QVERIFY(controller->isQMLMenuEnabled());

        QSignalSpy intro(controller.get(), &peltoQt::setShowIntroMessage);
        controller->setEnabledIntro(false);
        QVERIFY(!controller->isIntroEnabled());
        controller->menuAction_switchIntro();
        controller->showIntroMenuActivated(false);
        QCOMPARE(intro.count(), 2);
        QCOMPARE(intro.at(0).at(0).toBool(), true);
        QCOMPARE(intro.at(1).at(0).toBool(), false);
        QVERIFY(!controller->isIntroEnabled());

        controller->setSortingJobsAuto(false);
        controller->saveOptions();
        QCOMPARE(pq_Settings::instance()->sortingJobsAuto(), false);
        pq_Settings::instance()->setSortingJobsAuto(true);
        controller->loadOptions();
        QVERIFY(controller->isSortingJobsAuto());

        controller->storePreviousMainTitle("Jobs");
        QCOMPARE(controller->getPreviousMainTitle(), QString("Jobs"));
        QCOMPARE(controller->refWidth(), 1200);
        QCOMPARE(controller->refHeight(), 800);

        controller->helpFilmCurveExtraction();
        QCOMPARE(catcher.urls.size(), 1);
        QVERIFY(catcher.urls.at(0).isValid());
    }

    void scaling_data()
    {
        QTest::addColumn<double>("dpi");
        QTest::addColumn<QList<int>>("fonts");
        QTest::newRow("96") << 96.0 << QList<int>{7, 8, 9, 10, 10, 11, 12, 14, 15, 17, 21, 28, 43};
        QTest::newRow("144") << 144.0 << QList<int>{4, 5, 6, 6, 7, 7, 8, 9, 10, 11, 14, 19, 28};
    }
    void scaling()
    {
        QFETCH(double, dpi);
        QFETCH(QList<int>, fonts);
        platform::setScreenLogicalDpiSource([dpi] { return dpi; });
        start();
        platform::setScreenLogicalDpiSource({});
        QQmlPropertyMap* props = controller->props();
        const int sizes[] = {10, 12, 13, 14, 15, 16, 18, 20, 22, 24, 30, 40, 60};
        for (int i = 0; i < 13; ++i)
            QCOMPARE(props->value(QString("FT_%1").arg(sizes[i])), QVariant(fonts.at(i)));
        int u = 0;
        int p = 0;
        for (const QString& key : props->keys()) {
            if (key.startsWith('u'))
                ++u;
            if (key.startsWith('p'))
                ++p;
        }
        QCOMPARE(u, 241);
        QCOMPARE(p, 241);
        QCOMPARE(props->value("u1200"), QVariant(1200.0));
        QCOMPARE(props->value("p5"), QVariant(5));
        QVERIFY(!props->contains("u1205"));
        QCOMPARE(props->value("test"), QVariant(false));
    }

    void alerts()
    {
        start();
        const char* keys[] = {"alertCriticalTitle", "alertCriticalMessage", "alertWarningTitle",
                              "alertWarningMessage", "alertInformationTitle", "alertInformationMessage"};
        controller->alertCritical("-", "-");
        controller->alertWarning("-", "-");
        controller->alertInformation("-", "-");
        QStringList order;
        std::vector<std::unique_ptr<ShellKeyRecorder>> recorders;
        for (const char* key : keys) {
            auto recorder = std::make_unique<ShellKeyRecorder>();
            recorder->order = &order;
            recorder->key = key;
            QQmlProperty property(controller->currentJobMap(), key);
            QVERIFY(property.connectNotifySignal(recorder.get(), recorder->metaObject()->indexOfMethod("hit()")));
            recorders.push_back(std::move(recorder));
        }
        controller->alertCritical("Profile", "failed");
        controller->alertWarning("Shot", "unreadable");
        controller->alertInformation("Done", "written");
        QCOMPARE(order, (QStringList{keys[0], keys[1], keys[2], keys[3], keys[4], keys[5]}));
        QCOMPARE(job("alertCriticalTitle").toString(), QString("Profile"));
        QCOMPARE(job("alertWarningMessage").toString(), QString("unreadable"));
        QCOMPARE(job("alertInformationMessage").toString(), QString("written"));
    }
};

std::unique_ptr<QObject> makeShellTest()
{
    return std::make_unique<ShellTest>();
}

#include "test_shell.moc"
