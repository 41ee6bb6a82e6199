import QtQuick 2.3
import QtTest 1.1
import "Fixture.js" as F

// The job and target screens over the stand-in controller.
TestCase {
    name: "JobScreens"
    when: windowShown
    property var win: null

    function init() {
        peltoQt.reset();
        peltoQt.setJobs([{ name: "Studio" }, { name: "Smith & Sons" }, { name: "Off", enabled: false },
                         { name: "Repro <A>", targets: 2 }]);
        win = Qt.createComponent("qrc:/qml/main.qml").createObject(null);
        waitForRendering(win.contentItem);
    }
    function cleanup() {
        win.destroy();
        win = null;
        wait(0);
    }
    function find(name) {
        var item = F.findChild(win.contentItem, name);
        verify(item !== null, "no item " + name);
        return item;
    }
    function waitForItem(name) {
        tryVerify(function () { return F.findChild(win.contentItem, name) !== null; }, 30000, name);
        return find(name);
    }

    function test_jobsWithMarkupAreListed() {
        win.script.goFrontPage(false);
        var list = find("frontJobList");
        tryCompare(list, "count", 3, 20000);
        win.script.goJobsSlide();
        tryCompare(find("slideJobList"), "count", 3, 20000);
        waitForItem("jobInfoSlide_Smith & Sons");
        win.script.goManageJobs();
        tryCompare(find("jobsGrid"), "count", 4, 20000);
        waitForItem("jobTile_Smith & Sons");
        waitForItem("jobTile_Repro <A>");
    }

    function test_frontPageWithoutCurrentJobSelectsNothing() {
        peltoQt.clearCalls();
        win.script.goFrontPage(true);
        compare(peltoQt.calls().filter(function (c) { return c.indexOf("setCurrent") === 0; }), []);
        peltoQt.setMap("allEnabledJobs", "currentIndex", 1);
        win.script.goFrontPage(true);
        verify(peltoQt.calls().indexOf("setCurrentEnabledJobByIndex(1,FrontPage,false)") >= 0);
    }

    function test_dropSeveralFiles() {
        win.script.goFrontPage(false);
        tryCompare(find("frontJobList"), "count", 3, 20000);
        var view = waitForItem("jobInfoView_Studio");
        waitForRendering(view);
        var area = F.findChild(view, "dropArea");
        peltoQt.clearCalls();
        verify(dropHelper.dropUrls(area, ["file:///tmp/shot%201.nef", "http://example.com/x.jpg", "file:///tmp/shot2.tif"]));
        // The whole drop goes over at once, the web address too: the
        // controller tells what it refuses.
        compare(peltoQt.calls(), ["setCurrentJob(Studio,dropped,false)", "refreshCurrentJob4UI()",
                                  "dropShots(file:///tmp/shot 1.nef|http://example.com/x.jpg|file:///tmp/shot2.tif)"]);
    }

    // Browsing opens where the controller says, with its filters.
    function test_shotBrowser() {
        var filters = ["Shots: camera raw, TIFF, JPEG, PNG (*.dng *.DNG *.tif *.TIF)", "All files (*)"];
        peltoQt.setAnswer("shotBrowseFolder", "file:///tmp");
        peltoQt.setAnswer("shotNameFilters", filters);
        win.script.goFrontPage(false);
        tryCompare(find("frontJobList"), "count", 3, 20000);
        var view = waitForItem("jobInfoView_Studio");
        waitForRendering(view);
        var area = F.findChild(view, "dropArea");
        mouseClick(area);
        var dialog = area.parent.shotDialog;
        verify(dialog.visible);
        compare(String(dialog.folder), "file:///tmp");
        compare(dialog.nameFilters, filters);
        compare(dialog.selectMultiple, true);
        dialog.close();
    }

    function test_dropOnSlide() {
        peltoQt.setAnswer("setCurrentJob", false);
        win.script.goJobsSlide();
        var slide = waitForItem("jobInfoSlide_Smith & Sons");
        waitForRendering(slide);
        peltoQt.clearCalls();
        dropHelper.dropUrls(F.findChild(slide, "dropArea"), ["file:///tmp/a.dng"]);
        compare(peltoQt.calls(), ["setCurrentJob(Smith & Sons,dropped,false)", "dropShots(file:///tmp/a.dng)"]);
    }

    function test_jobAlertsOnFrontPage() {
        win.script.goFrontPage(false);
        var alert = find("jobAlertWarning");
        verify(!alert.visible);
        peltoQt.setMap("currentJob", "alertWarningTitle", "Cannot read the shot");
        peltoQt.setMap("currentJob", "alertWarningMessage", "The file is not an image.");
        tryCompare(alert, "visible", true);
        mouseClick(F.findChild(alert, "alertOK"));
        compare(peltoQt.mapValue("currentJob", "alertWarningTitle"), "");
        verify(!alert.visible);
        peltoQt.setMap("currentJob", "alertWarningTitle", "Again");
        tryCompare(alert, "visible", true);
    }

    function test_enabledToggleReadsTheAttribute() {
        win.script.goManageJobs();
        var on = waitForItem("jobTile_Studio");
        var off = waitForItem("jobTile_Off");
        compare(F.findChild(on, "jobToggle").toggleState, "ENABLED");
        compare(F.findChild(off, "jobToggle").toggleState, "DISABLED");
        peltoQt.clearCalls();
        mouseClick(F.findChild(off, "jobToggle"));
        mouseClick(F.findChild(on, "jobToggle"));
        compare(peltoQt.calls(), ["jobEnabled(Off)", "jobDisabled(Studio)"]);
    }

    function test_tileClickAndDuplicate() {
        win.script.goManageJobs();
        var tile = waitForItem("jobTile_Studio");
        waitForRendering(tile);
        peltoQt.clearCalls();
        mouseClick(F.findChild(tile, "tileArea"), 20, 150);
        compare(peltoQt.calls(), ["setCurrentJob(Studio,tileView,false)", "refreshCurrentJob4UI()"]);
        mouseClick(F.findChild(tile, "tileDuplicate"));
        var dup = find("alertDuplicateJob");
        verify(dup.visible);
        compare(dup.name, "Studio Copy");
        mouseClick(F.findChild(dup, "alertOK"));
        verify(peltoQt.calls().indexOf("duplicateJob(Studio,Studio Copy)") >= 0);
        mouseClick(F.findChild(tile, "tileDelete"));
        var del = find("alertDeleteJob");
        compare(del.title, "DELETE JOB \"Studio\"");
        mouseClick(F.findChild(del, "alertOK"));
        verify(peltoQt.calls().indexOf("deleteJob(Studio)") >= 0);
    }

    function test_dragReordersTheFixedList() {
        peltoQt.setSortingJobsAuto(false);
        win.script.goManageJobs();
        var first = waitForItem("jobTile_Studio");
        var third = waitForItem("jobTile_Off");
        waitForRendering(first);
        var handle = F.findChild(first, "moveHandle");
        var target = third.mapToItem(handle, third.width / 2, third.height / 2);
        peltoQt.clearCalls();
        mousePress(handle, 5, 5);
        mouseMove(handle, target.x / 2, target.y / 2, -1, Qt.LeftButton);
        mouseMove(handle, target.x, target.y, -1, Qt.LeftButton);
        mouseRelease(handle, target.x, target.y);
        var calls = peltoQt.calls();
        compare(calls[0], "movedJobReset()");
        compare(calls[1], "movedJobPrepare(Studio,0,1)");
        verify(/^movedJobPrepare\(Studio,\d,2\)$/.test(calls[calls.length - 2]), calls.join(" "));
        compare(calls[calls.length - 1], "movedJobNow()");
        compare(peltoQt.fixedOrder(), ["Smith & Sons", "Off", "Studio", "Repro <A>"]);
    }

    function test_newJob() {
        win.script.goManageJobs();
        peltoQt.clearCalls();
        mouseClick(find("newJob"));
        compare(peltoQt.calls().slice(0, 2), ["setCurrentJob(New Job,new job,true)", "refreshCurrentJob4UI()"]);
        compare(F.visiblePages(win), ["selectTargets"]);
        compare(win.mainTitle, "  New Job - Select your Target");
    }

    function test_sortToggle() {
        win.script.goManageJobs();
        var toggle = find("sortToggle");
        compare(toggle.current, "AUTO");
        peltoQt.clearCalls();
        mouseClick(F.findChild(toggle, "segment_FIXED"));
        compare(peltoQt.calls(), ["setSortingJobsAuto(false)"]);
        compare(toggle.current, "FIXED");
    }

    function showTargets(count) {
        peltoQt.setTargets([{ name: "ColorChecker" }, { name: "Passport", selected: count > 0 }]);
        peltoQt.setMap("currentJob", "name", "Studio");
        peltoQt.setMap("currentJob", "targetCount", count);
        win.script.goSelectTargets();
        tryCompare(find("targetList"), "count", 2, 20000);
        return waitForItem("targetElement_ColorChecker");
    }

    function test_secondTargetAsksFirst() {
        var element = showTargets(1);
        peltoQt.clearCalls();
        mouseClick(F.findChild(element, "selectTarget_ColorChecker"));
        var ask = find("alertMultiTarget");
        verify(ask.visible);
        compare(ask.title, "ATTENTION");
        mouseClick(F.findChild(ask, "alertCancel"));
        compare(peltoQt.calls(), []);
        mouseClick(F.findChild(element, "selectTarget_ColorChecker"));
        mouseClick(F.findChild(ask, "alertOK"));
        compare(peltoQt.calls(), ["targetSelected(ColorChecker)"]);
        var selected = waitForItem("targetElement_Passport");
        compare(F.findChild(selected, "selectTarget_Passport").text, "ALREADY SELECTED");
        peltoQt.clearCalls();
        mouseClick(F.findChild(selected, "selectTarget_Passport"));
        compare(peltoQt.calls(), ["targetUnselected(Passport)"]);
    }

    function test_firstTargetOffersTheNextSteps() {
        var element = showTargets(0);
        mouseClick(F.findChild(element, "selectTarget_ColorChecker"));
        var further = find("selectTargetsFurther");
        verify(further.visible);
        mouseClick(F.findChild(further, "further_expert"));
        verify(find("jobSettings").visible);
        compare(win.mainTitle, "  Studio - Expert Mode - Define your Custom Information");
        mouseClick(find("settingsBack"));
        compare(win.mainTitle, "  Studio - Select your Target");
    }

    function test_noTargetNoExpertNoSave() {
        showTargets(0);
        peltoQt.clearCalls();
        var title = win.mainTitle;
        mouseClick(find("expertMode"));
        mouseClick(find("saveJob"));
        verify(!find("jobSettings").visible);
        verify(!find("alertSaveJob").visible);
        compare(win.mainTitle, title);
        compare(peltoQt.calls(), []);
    }

    function test_saveJobFromTargets() {
        showTargets(1);
        mouseClick(find("saveJob"));
        var save = find("alertSaveJob");
        verify(save.visible);
        compare(save.name, "Studio");
        F.findChild(save, "jobNameField").text = "Studio B";
        peltoQt.clearCalls();
        mouseClick(F.findChild(save, "saveJobNew"));
        compare(peltoQt.mapValue("currentJob", "name"), "Studio B");
        verify(peltoQt.calls().indexOf("saveCurrentJob(false)") >= 0);
        compare(F.visiblePages(win), ["manageJobs"]);
    }

    function test_backReloadsTheJob() {
        showTargets(1);
        peltoQt.clearCalls();
        mouseClick(find("targetsBack"));
        compare(peltoQt.calls()[0], "reloadJob(Studio)");
        compare(F.visiblePages(win), ["manageJobs"]);
    }

    function test_expertSettingsAndSets() {
        showTargets(1);
        peltoQt.setMap("allSets", "list", "Daylight|Museum");
        peltoQt.setMap("currentJob", "expertSetName", "Museum");
        peltoQt.setMap("currentJob", "expert",
            "<expertSettings>\n<itemAll><name>observer</name><value>2-Degree</value><locked>false</locked><lockFixed>false</lockFixed></itemAll>"
            + "<itemCamera><name>exposureOffset</name><value>None</value><locked>true</locked><lockFixed>false</lockFixed></itemCamera>\n</expertSettings>\n");
        mouseClick(find("expertMode"));
        var combo = waitForItem("expert_observer");
        compare(combo.displayText, "2-Degree");
        compare(find("setNameField").text, "Museum");
        peltoQt.clearCalls();
        combo.valueChosen("10-Degree");
        compare(peltoQt.calls(), ["expertParamChanged(observer,10-Degree,false)"]);
        compare(find("setNameField").text, "Museum (*)");
        mouseClick(find("setDuplicate"));
        compare(find("alertDuplicateSet").name, "Museum Copy");
        mouseClick(F.findChild(find("alertDuplicateSet"), "alertOK"));
        verify(peltoQt.calls().indexOf("duplicateSet(Museum,Museum Copy)") >= 0);
        // The camera tab shows the locked offset with its label.
        mouseClick(F.findChild(find("expertModeToggle"), "segment_CAMERA"));
        var offset = waitForItem("expert_exposureOffset");
        compare(offset.displayText, "None ");
        compare(offset.lockState, "LOCKED");
        // Saving a set that exists asks first.
        peltoQt.setAnswer("doesSetExist", true);
        mouseClick(find("setSave"));
        var saveSet = find("alertSaveSet");
        compare(saveSet.name, "Museum");
        mouseClick(F.findChild(saveSet, "alertOK"));
        var exists = find("alertSetExists");
        verify(exists.visible);
        peltoQt.clearCalls();
        mouseClick(F.findChild(exists, "alertOK"));
        compare(peltoQt.calls(), ["saveSet(Museum)"]);
    }

    // The controller writes a setting of every workflow once per workflow:
    // the ALL tab shows each such setting once and no setting of one workflow.
    function test_allTabShowsTheSharedSettings() {
        showTargets(1);
        function entry(set, name, value) {
            return "<" + set + "><name>" + name + "</name><value>" + value
                + "</value><locked>false</locked><lockFixed>false</lockFixed></" + set + ">";
        }
        peltoQt.setMap("currentJob", "expert", "<expertSettings>\n"
            + entry("itemCamera", "profileOptimization", "ΔE 2000") + entry("itemC1", "profileOptimization", "ΔE 2000")
            + entry("itemIcc", "profileOptimization", "ΔE 2000") + entry("itemCamera", "exposureOffset", "None")
            + entry("itemC1", "gray", "On") + entry("itemIcc", "gray", "On") + "\n</expertSettings>\n");
        mouseClick(find("expertMode"));
        var optimization = waitForItem("expert_profileOptimization");
        tryCompare(optimization, "visible", true);
        var expert = optimization.parent;
        var names = [];
        for (var i = 0; i < expert.children.length; ++i) {
            if (String(expert.children[i].objectName).indexOf("expert_") === 0)
                names.push(expert.children[i].objectName);
        }
        compare(names, ["expert_profileOptimization"]);
        mouseClick(F.findChild(find("expertModeToggle"), "segment_CAMERA"));
        tryVerify(function () { return F.findChild(win.contentItem, "expert_exposureOffset") !== null; }, 5000);
    }

    // A set the controller refuses leaves the bar on the job's own set and
    // says why; one it applies becomes the bar's set.
    function test_refusedSetLeavesTheBar() {
        showTargets(1);
        peltoQt.setMap("allSets", "list", "Daylight|Museum");
        peltoQt.setMap("currentJob", "expertSetName", "Museum");
        mouseClick(find("expertMode"));
        var combo = waitForItem("setsCombo");
        var field = find("setNameField");
        compare(field.text, "Museum");
        compare(combo.currentIndex, 1);
        peltoQt.setAnswer("applySet", "The set \"Daylight\" cannot be read: permission denied");
        peltoQt.clearCalls();
        combo.forceActiveFocus();
        keyClick(Qt.Key_Up);
        compare(peltoQt.calls(), ["applySet(Daylight)"]);
        compare(combo.currentIndex, 1);
        compare(combo.currentText, "Museum");
        compare(field.text, "Museum");
        var alert = find("alertGeneric");
        verify(alert.visible);
        compare(alert.title, "Cannot Apply Set");
        compare(alert.message, "The set \"Daylight\" cannot be read: permission denied");
        mouseClick(F.findChild(alert, "alertOK"));
        verify(!alert.visible);

        peltoQt.setAnswer("applySet", "");
        combo.forceActiveFocus();
        keyClick(Qt.Key_Up);
        compare(combo.currentText, "Daylight");
        compare(field.text, "Daylight");
        verify(!alert.visible);
    }

    function test_expertTabsFollowLocks() {
        var toggle = find("expertModeToggle");
        toggle.processMode = true;
        compare(toggle.shown, [true, true, true, true]);
        peltoQt.setMap("currentJob", "profileNameTag", "DCP");
        compare(toggle.shown, [true, true, false, false]);
        peltoQt.setMap("currentJob", "expertAllAllLocked", true);
        toggle.init();
        compare(toggle.current, "CAMERA");
        peltoQt.setMap("currentJob", "expertCameraAllLocked", true);
        peltoQt.setMap("currentJob", "profileNameTag", "");
        toggle.init();
        compare(toggle.current, "C1");
        peltoQt.setMap("currentJob", "expertAllAllLocked", false);
        peltoQt.setMap("currentJob", "expertRemoveAllTab", true);
        compare(toggle.shown[0], false);
        toggle.processMode = false;
        compare(toggle.shown, [true, true, true, true]);
    }

    function test_targetsOverview() {
        peltoQt.setMap("currentJob", "name", "Repro <A>");
        peltoQt.setMap("currentJob", "targets", "<targets>\n<target current='true'>\n<name>A</name>\n<index>0</index>\n<model>M1</model>\n</target>\n<target>\n<name>B</name>\n<index>1</index>\n<model>M2</model>\n</target>\n</targets>\n");
        win.script.goTargetOverview(2);
        compare(win.mainTitle, "  Repro <A> - Targets Overview");
        tryCompare(find("overviewGrid"), "count", 2, 20000);
        mouseClick(find("overviewClose"));
        compare(F.visiblePages(win), ["selectTargets"]);
    }
}
