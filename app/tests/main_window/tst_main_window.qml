import QtQuick 2.3
import QtTest 1.2

// The main window over the real controller: one page at a time with its
// title, the remembered title, and the job-saving dialogue.
TestCase {
    id: test
    name: "MainWindow"
    when: windowShown
    property var win: null

    function findChild(item, name) {
        if (!item)
            return null;
        if (item.objectName === name)
            return item;
        var children = item.children ? Array.prototype.slice.call(item.children) : [];
        if (item.contentItem && children.indexOf(item.contentItem) < 0)
            children.push(item.contentItem);
        for (var i = 0; i < children.length; ++i) {
            var found = findChild(children[i], name);
            if (found)
                return found;
        }
        return null;
    }
    readonly property var pageNames: ["intro1", "introPage", "frontPage", "jobsSlide", "manageJobs",
        "targetsOverview", "selectTargets", "filmCurveMissing", "filmCurveExtraction", "profiling",
        "profilingProgress"]
    function visiblePages() {
        return pageNames.filter(function (n) {
            var page = findChild(win.contentItem, n);
            return page && page.visible;
        });
    }
    function select(name) {
        verify(peltoQt.setCurrentJob(name, "tileView", false) || currentJob.name === name, name);
        peltoQt.refreshCurrentJob4UI();
        compare(currentJob.name, name);
    }
    function dialog(name) {
        return findChild(win.contentItem, name);
    }

    function init() {
        var component = Qt.createComponent("qrc:/qml/main.qml");
        compare(component.status, Component.Ready, component.errorString());
        win = component.createObject(null);
        verify(win !== null);
        waitForRendering(win.contentItem);
        select("Studio");
    }
    function cleanup() {
        peltoQt.reloadJob(currentJob.name);
        win.destroy();
        win = null;
        wait(0);
    }

    function test_pageTitles_data() {
        return [
            { tag: "front", call: function (s) { s.goFrontPage(false); }, page: "frontPage", title: "  Select your Job" },
            { tag: "slide", call: function (s) { s.goJobsSlide(); }, page: "jobsSlide", title: "  Select your Job" },
            { tag: "manage", call: function (s) { s.goManageJobs(); }, page: "manageJobs", title: "  Manage your Jobs" },
            { tag: "overview", call: function (s) { s.goTargetOverview(1); }, page: "targetsOverview", title: "  Studio - Targets Overview" },
            { tag: "targets", call: function (s) { s.goSelectTargets(); }, page: "selectTargets", title: "  Studio - Select your Target" },
            { tag: "filmMissing", call: function (s) { s.goFilmCurveMissing(); }, page: "filmCurveMissing", title: "  Film Curve Missing" },
            { tag: "filmExtract", call: function (s) { s.goFilmCurveExtraction(); }, page: "filmCurveExtraction", title: "  Extract Film Curve" },
            { tag: "grid", call: function (s) { s.goProfiling(false); }, page: "profiling", title: "  Place the Grid" },
            { tag: "qa", call: function (s) { s.goProfiling(true); }, page: "profiling", title: "  Quality Control" },
            { tag: "progress", call: function (s) { s.goProfilingProgress(null); }, page: "profilingProgress", title: "  Creating Profile... " },
            { tag: "intro1", call: function (s) { s.goIntroPage(1); }, page: "introPage", title: "  Select" },
            { tag: "intro2", call: function (s) { s.goIntroPage(2); }, page: "introPage", title: "  Create" },
            { tag: "intro3", call: function (s) { s.goIntroPage(3); }, page: "introPage", title: "  Control" },
            { tag: "intro4", call: function (s) { s.goIntroPage(4); }, page: "introPage", title: "  Jobs" }
        ];
    }
    function test_pageTitles(data) {
        data.call(win.script);
        compare(visiblePages(), [data.page]);
        compare(win.mainTitle, data.title);
    }

    // From every page to every other: still exactly one page.
    function test_everyPageAfterEveryOther() {
        var calls = test_pageTitles_data();
        for (var i = 0; i < calls.length; ++i) {
            for (var j = 0; j < calls.length; ++j) {
                calls[i].call(win.script);
                calls[j].call(win.script);
                compare(visiblePages(), [calls[j].page], calls[i].tag + " then " + calls[j].tag);
            }
        }
    }

    // The title already shown is not remembered over the one before it.
    function test_sameTitleStoresNothing() {
        win.script.goManageJobs();
        win.script.setMainTitle("  Save Job", true);
        win.script.setMainTitle("  Save Job", true);
        compare(peltoQt.getPreviousMainTitle(), "  Manage your Jobs");
        win.script.resetMainTitle();
        compare(win.mainTitle, "  Manage your Jobs");
    }

    // Daylight and tungsten without spectral reference data: "Cannot Save
    // Job", nothing written and no page left, whatever comes next.
    function test_dualIlluminantWithoutSpectralData_data() {
        return [{ tag: "front", next: "front" }, { tag: "manage", next: "manage" }, { tag: "new", next: "new" },
                { tag: "profile", next: "profile" }];
    }
    function test_dualIlluminantWithoutSpectralData(data) {
        var before = store.text("Studio");
        win.script.goSelectTargets();
        peltoQt.expertParamChanged("cameraIlluminant", "D65 + Std. Illuminant A", false);
        verify(peltoQt.isJobD65StdAWithoutSpectral("Studio"));
        verify(!win.script.saveCurrentJob(true, true, data.next, null));
        var alert = dialog("alertGeneric");
        verify(alert.visible);
        compare(alert.title, "Cannot Save Job");
        compare(alert.message, "Temperature 'D65 + Std. Illuminant A' requires spectral reference");
        compare(store.text("Studio"), before);
        compare(visiblePages(), ["selectTargets"]);
        mouseClick(findChild(alert, "alertOK"));
        verify(!alert.visible);
    }

    // An existing job without changes is not written; the flow moves on.
    function test_unmodifiedExistingJobMovesOn() {
        var before = store.text("Studio");
        verify(before !== "");
        win.script.goSelectTargets();
        verify(!peltoQt.isJobModified("Studio"));
        verify(win.script.saveCurrentJob(true, false, "manage", null));
        compare(store.text("Studio"), before);
        compare(visiblePages(), ["manageJobs"]);
        verify(!dialog("alertJobExists").visible);
    }

    // An existing name asks SAVE JOB: RENAME opens the name dialogue with the
    // job's name, OVERWRITE writes the job and moves on.
    function test_existingNameAsks() {
        win.script.goSelectTargets();
        verify(!win.script.saveCurrentJob(true, true, "front", null));
        var exists = dialog("alertJobExists");
        verify(exists.visible);
        compare(exists.title, "SAVE JOB");
        compare(exists.message, "A job with the same name already exists!");
        compare(findChild(exists, "alertCancel").text, "RENAME");
        compare(findChild(exists, "alertOK").text, "OVERWRITE");
        mouseClick(findChild(exists, "alertCancel"));
        var rename = dialog("alertRenameSaveJob");
        verify(rename.visible);
        compare(rename.name, "Studio");
        mouseClick(findChild(rename, "saveJobCancel"));
        verify(!rename.visible);
        compare(visiblePages(), ["selectTargets"]);

        verify(!win.script.saveCurrentJob(true, true, "front", null));
        verify(exists.visible);
        store.remove("Studio");
        mouseClick(findChild(exists, "alertOK"));
        tryVerify(function () { return store.exists("Studio"); });
        compare(visiblePages(), ["frontPage"]);
    }

    // A new job without a target: EXPERT MODE and SAVE JOB do nothing.
    function test_noTargetNoExpertNoSave() {
        verify(peltoQt.setCurrentJob("New Job", "new job", true) || currentJob.name === "New Job");
        peltoQt.refreshCurrentJob4UI();
        win.script.goSelectTargets();
        compare(currentJob.targetCount, 0);
        mouseClick(findChild(win.contentItem, "expertMode"));
        verify(!findChild(win.contentItem, "jobSettings").visible);
        mouseClick(findChild(win.contentItem, "saveJob"));
        verify(!findChild(win.contentItem, "alertSaveJob").visible);
        compare(win.mainTitle, "  New Job - Select your Target");
    }

    // Shots dropped together reach the job in the order they were dropped:
    // on its one target, the second is a further shot; a web address is
    // refused and named.
    function test_dropOrder() {
        win.script.goFrontPage(false);
        var urls = [shotsFolder + "/d.tif", shotsFolder + "/a.tif", "https://example.com/c.tif"];
        compare(win.script.dropShots("Smith & Sons", urls), 2);
        compare(currentJob.name, "Smith & Sons");
        var shots = String(currentJob.currentTargetShots);
        verify(shots.indexOf("d.tif") >= 0 && shots.indexOf("a.tif") > shots.indexOf("d.tif"), shots);
        verify(shots.indexOf("example.com") < 0, shots);
        verify(String(currentJob.alertWarningMessage).indexOf("c.tif: not a file on this computer") >= 0,
               currentJob.alertWarningMessage);
        currentJob.alertWarningTitle = "";
    }
}
