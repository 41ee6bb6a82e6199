import QtQuick 2.3
import QtTest 1.1
import "Fixture.js" as F

TestCase {
    id: test
    name: "Navigation"
    when: windowShown
    property var win: null

    function init() {
        peltoQt.reset();
        peltoQt.setJobs([{ name: "Studio" }, { name: "Smith & Sons" }]);
        var component = Qt.createComponent("qrc:/qml/main.qml");
        compare(component.status, Component.Ready, component.errorString());
        win = component.createObject(null);
        verify(win !== null);
        waitForRendering(win.contentItem);
    }
    function cleanup() {
        win.destroy();
        win = null;
        wait(0);
    }

    function test_menuAndIntroAtStart() {
        win.destroy();
        peltoQt.setAnswer("isQMLMenuEnabled", true);
        peltoQt.setAnswer("isIntroEnabled", true);
        win = Qt.createComponent("qrc:/qml/main.qml").createObject(null);
        waitForRendering(win.contentItem);
        compare(win.mb_add, 20);
        verify(win.menuBar !== null);
        compare(F.visiblePages(win), ["intro1"]);
        compare(win.mainTitle, " Introduction");
    }

    function test_startPage() {
        compare(F.visiblePages(win), ["frontPage"]);
    }

    function test_pageTitles_data() {
        return [
            { tag: "front", call: function (s) { s.goFrontPage(false); }, page: "frontPage", title: "  Select your Job" },
            { tag: "slide", call: function (s) { s.goJobsSlide(); }, page: "jobsSlide", title: "  Select your Job" },
            { tag: "manage", call: function (s) { s.goManageJobs(); }, page: "manageJobs", title: "  Manage your Jobs" },
            { tag: "overview", call: function (s) { s.goTargetOverview(2); }, page: "targetsOverview", title: "  unnamed - Targets Overview" },
            { tag: "targets", call: function (s) { s.goSelectTargets(); }, page: "selectTargets", title: "  unnamed - Select your Target" },
            { tag: "filmMissing", call: function (s) { s.goFilmCurveMissing(); }, page: "filmCurveMissing", title: "  Film Curve Missing" },
            { tag: "filmExtract", call: function (s) { s.goFilmCurveExtraction(); }, page: "filmCurveExtraction", title: "  Extract Film Curve" },
            { tag: "grid", call: function (s) { s.goProfiling(false); }, page: "profiling", title: "  Place the Grid" },
            { tag: "qa", call: function (s) { s.goProfiling(true); }, page: "profiling", title: "  Quality Control" },
            { tag: "progress", call: function (s) { s.goProfilingProgress(null); }, page: "profilingProgress", title: "  Creating Profile... " },
            { tag: "intro0", call: function (s) { s.goIntroPage(0); }, page: "intro1", title: "  Select your Job" },
            { tag: "intro1", call: function (s) { s.goIntroPage(1); }, page: "introPage", title: "  Select" },
            { tag: "intro4", call: function (s) { s.goIntroPage(4); }, page: "introPage", title: "  Jobs" }
        ];
    }
    function test_pageTitles(data) {
        data.call(win.script);
        compare(F.visiblePages(win), [data.page]);
        compare(win.mainTitle, data.title);
    }

    function test_viewButton() {
        var bar = F.findChild(win.contentItem, "mainToolbar") || F.findChild(win.toolBar, "mainToolbar");
        verify(bar !== null);
        win.script.goFrontPage(false);
        compare(bar.magState, "PERSPECTIVE");
        var button = F.findChild(bar, "viewButton");
        mouseClick(button);
        compare(F.visiblePages(win), ["jobsSlide"]);
        compare(bar.magState, "SLIDER");
        mouseClick(button);
        compare(F.visiblePages(win), ["frontPage"]);
        win.script.goManageJobs();
        compare(button.visible, false);
        verify(peltoQt.calls().indexOf("clearTemporaries()") >= 0);
    }

    function test_profilingStage() {
        peltoQt.clearCalls();
        win.script.goProfiling(false);
        compare(peltoQt.calls(), ["storePreviousMainTitle()", "setProfilingStage(Adjust the Mask)", "justUsedJob(unnamed)"]);
        peltoQt.clearCalls();
        win.script.goProfiling(true);
        compare(peltoQt.calls(), ["storePreviousMainTitle()", "setProfilingStage(Quality Control)"]);
    }

    function test_windowLock() {
        win.script.goIntroPage(1);
        compare(win.isLocked, true);
        compare(win.maximumWidth, win.width);
        compare(win.maximumHeight, win.height);
        verify(win.maximumWidth >= win.minimumWidth);
        win.script.goFrontPage(false);
        compare(win.isLocked, false);
        compare(win.maximumWidth, 16777215);
    }

    function test_titleMemory() {
        win.script.setMainTitle("  A", false);
        win.script.setMainTitle("  B", true);
        compare(peltoQt.getPreviousMainTitle(), "  A");
        peltoQt.clearCalls();
        win.script.setMainTitle("  B", true);
        compare(peltoQt.calls(), []);
        compare(peltoQt.getPreviousMainTitle(), "  A");
        win.script.resetMainTitle();
        compare(win.mainTitle, "  A");
        win.script.setMainTitle("  C", false);
        compare(peltoQt.getPreviousMainTitle(), "");
        win.script.resetMainTitle();
        compare(win.mainTitle, "  C");
    }

    function test_introSignal() {
        peltoQt.emitSignal("setShowIntroMessage", true);
        compare(F.visiblePages(win), ["intro1"]);
        compare(win.mainTitle, " Introduction");
        verify(peltoQt.calls().indexOf("setEnabledIntro(true)") >= 0);
        var next = F.findChild(win.contentItem, "startTour");
        mouseClick(next);
        compare(F.visiblePages(win), ["introPage"]);
        mouseClick(F.findChild(win.contentItem, "introNext"));
        compare(win.mainTitle, "  Create");
        mouseClick(F.findChild(win.contentItem, "dontShowIntro"));
        compare(F.visiblePages(win), ["frontPage"]);
        verify(peltoQt.calls().indexOf("setEnabledIntro(false)") >= 0);
        compare(win.isLocked, false);
    }

    function test_modeToggle() {
        win.script.goFrontPage(false);
        var toggle = F.findChild(win.toolBar, "profilingEditingToggle");
        verify(toggle !== null);
        peltoQt.clearCalls();
        mouseClick(F.findChild(toggle, "segment_JOB EDITOR"));
        compare(F.visiblePages(win), ["manageJobs"]);
        compare(peltoQt.calls().slice(0, 2), ["applySortedJobsList(true,true)", "resetRuntime(false,true)"]);
        compare(toggle.current, "JOB EDITOR");
        mouseClick(F.findChild(toggle, "segment_PROFILING"));
        compare(F.visiblePages(win), ["frontPage"]);
        win.script.goSelectTargets();
        compare(toggle.current, "JOB EDITOR");
        win.script.goFrontPage(false);
        compare(toggle.current, "PROFILING");
    }
}
