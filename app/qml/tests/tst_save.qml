import QtQuick 2.3
import QtTest 1.1
import "Fixture.js" as F

// The job-saving dialogue flow of the script.
TestCase {
    name: "SaveJob"
    when: windowShown
    property var win: null

    QtObject {
        id: imageItem
        property string action: ""
    }

    function init() {
        peltoQt.reset();
        peltoQt.setJobs([{ name: "Studio" }]);
        peltoQt.setMap("currentJob", "name", "Studio");
        win = Qt.createComponent("qrc:/qml/main.qml").createObject(null);
        waitForRendering(win.contentItem);
        imageItem.action = "";
    }
    function cleanup() {
        win.destroy();
        win = null;
        wait(0);
    }
    function saves() {
        return peltoQt.calls().filter(function (c) { return c.indexOf("saveCurrentJob") === 0; });
    }
    function alert(name) {
        return F.findChild(win.contentItem, name);
    }

    function test_d65WithoutSpectral_data() {
        return [{ tag: "front", next: "front" }, { tag: "manage", next: "manage" }, { tag: "new", next: "new" },
                { tag: "profile", next: "profile" }];
    }
    function test_d65WithoutSpectral(data) {
        peltoQt.setAnswer("isJobD65StdAWithoutSpectral", true);
        win.script.goSelectTargets();
        verify(!win.script.saveCurrentJob(true, true, data.next, imageItem));
        compare(saves(), []);
        var generic = alert("alertGeneric");
        verify(generic.visible);
        compare(generic.title, "Cannot Save Job");
        compare(generic.message, "Temperature 'D65 + Std. Illuminant A' requires spectral reference");
        compare(F.visiblePages(win), ["selectTargets"]);
        compare(imageItem.action, "");
    }

    function test_unmodifiedExistingMovesOn() {
        peltoQt.setAnswer("doesJobExist", true);
        peltoQt.setAnswer("isJobModified", false);
        win.script.goSelectTargets();
        verify(win.script.saveCurrentJob(true, false, "manage", null));
        compare(saves(), []);
        compare(F.visiblePages(win), ["manageJobs"]);
        verify(!alert("alertJobExists").visible);
    }

    function test_newJobSavedThenFront() {
        win.script.goSelectTargets();
        peltoQt.clearCalls();
        verify(win.script.saveCurrentJob(true, true, "front", null));
        compare(saves(), ["saveCurrentJob(false)"]);
        compare(F.visiblePages(win), ["frontPage"]);
        verify(peltoQt.calls().indexOf("setCurrentJob(Studio,afterSave,false)") >= 0);
    }

    function test_profileStartsTheRun() {
        verify(win.script.saveCurrentJob(false, false, "profile", imageItem));
        compare(imageItem.action, "startProfiling");
        compare(F.visiblePages(win), ["profilingProgress"]);
        compare(F.findChild(win.contentItem, "profilingProgress").clientTarget, imageItem);
    }

    function test_failedSaveStays() {
        peltoQt.setAnswer("saveCurrentJob", false);
        win.script.goSelectTargets();
        verify(!win.script.saveCurrentJob(true, true, "front", null));
        compare(alert("alertGeneric").title, "Cannot Save Job");
        compare(F.visiblePages(win), ["selectTargets"]);
    }

    // The controller's words reach the user; a file that cannot be saved
    // over leads to saving under a new name, which carries on as asked.
    function test_failureInWords_data() {
        return [{ tag: "cannot be written", offers: false },
                { tag: "kept file", offers: true }];
    }
    function test_failureInWords(data) {
        peltoQt.setAnswer("saveCurrentJob", false);
        peltoQt.setMap("currentJob", "saveFailure", "The job file \"Studio.xml\" is kept as it is: line 7.");
        peltoQt.setMap("currentJob", "saveFailureOffersNewName", data.offers);
        win.script.goSelectTargets();
        verify(!win.script.saveCurrentJob(false, false, "profile", imageItem));
        var generic = alert("alertGeneric");
        var asNew = alert("alertSaveAsNew");
        compare(generic.visible, !data.offers);
        compare(asNew.visible, data.offers);
        if (!data.offers) {
            compare(generic.message, "The job file \"Studio.xml\" is kept as it is: line 7.");
            return;
        }
        compare(asNew.title, "Cannot Save Job");
        compare(asNew.message, "The job file \"Studio.xml\" is kept as it is: line 7.\n"
                               + "Save the job under a new name to keep your changes?");
        compare(F.findChild(asNew, "alertOK").text, "SAVE AS NEW");
        compare(imageItem.action, "");
        mouseClick(F.findChild(asNew, "alertOK"));
        var rename = alert("alertRenameSaveJob");
        verify(rename.visible);
        compare(rename.name, "Studio copy");
        peltoQt.setAnswer("saveCurrentJob", true);
        peltoQt.clearCalls();
        mouseClick(F.findChild(rename, "saveJobSave"));
        compare(peltoQt.mapValue("currentJob", "name"), "Studio copy");
        compare(saves(), ["saveCurrentJob(false)"]);
        compare(imageItem.action, "startProfiling");
    }

    function test_existingAsksRenameOrOverwrite() {
        peltoQt.setAnswer("doesJobExist", true);
        peltoQt.setAnswer("isJobModified", true);
        win.script.goSelectTargets();
        verify(!win.script.saveCurrentJob(true, false, "profile", imageItem));
        var exists = alert("alertJobExists");
        verify(exists.visible);
        compare(exists.title, "SAVE JOB");
        compare(exists.message, "A job with the same name already exists!");
        compare(F.findChild(exists, "alertCancel").text, "RENAME");
        compare(F.findChild(exists, "alertOK").text, "OVERWRITE");
        compare(saves(), []);
        // OVERWRITE saves without asking again and starts the run.
        mouseClick(F.findChild(exists, "alertOK"));
        compare(saves(), ["saveCurrentJob(false)"]);
        compare(imageItem.action, "startProfiling");
    }

    function test_renameCarriesTheImageItem() {
        peltoQt.setAnswer("doesJobExist", true);
        peltoQt.setAnswer("isJobModified", true);
        win.script.goSelectTargets();
        win.script.saveCurrentJob(true, false, "profile", imageItem);
        mouseClick(F.findChild(alert("alertJobExists"), "alertCancel"));
        var rename = alert("alertRenameSaveJob");
        verify(rename.visible);
        compare(rename.name, "Studio");
        compare(win.mainTitle, "  Save Job");
        var field = F.findChild(rename, "jobNameField");
        field.text = "Studio 2";
        peltoQt.setAnswer("doesJobExist", false);
        mouseClick(F.findChild(rename, "saveJobSave"));
        compare(peltoQt.mapValue("currentJob", "name"), "Studio 2");
        compare(saves(), ["saveCurrentJob(false)"]);
        compare(imageItem.action, "startProfiling");
        compare(F.visiblePages(win), ["profilingProgress"]);
    }

    function test_renameCancelRestoresTitle() {
        peltoQt.setAnswer("doesJobExist", true);
        peltoQt.setAnswer("isJobModified", true);
        win.script.goSelectTargets();
        var before = win.mainTitle;
        win.script.saveCurrentJob(true, false, "front", null);
        mouseClick(F.findChild(alert("alertJobExists"), "alertCancel"));
        var rename = alert("alertRenameSaveJob");
        mouseClick(F.findChild(rename, "saveJobCancel"));
        verify(!rename.visible);
        compare(win.mainTitle, before);
        compare(saves(), []);
    }

    function test_nameFieldRefusesFileCharacters() {
        win.script.goSelectTargets();
        var rename = alert("alertRenameSaveJob");
        rename.showWithName("");
        var field = F.findChild(rename, "jobNameField");
        field.forceActiveFocus();
        keyClick(Qt.Key_A);
        keyClick(Qt.Key_Slash);
        keyClick(Qt.Key_Colon, Qt.ShiftModifier);
        keyClick(Qt.Key_B);
        compare(field.text, "ab");
        field.text = "";
        verify(!F.findChild(rename, "saveJobSave").enabled);
    }

    // SAVE JOB on the grid page's settings view: the three-button save, then
    // the profile (START PROFILING) or the job manager (ADD NEW JOB).
    function openGridSettings() {
        peltoQt.setMap("currentJob", "profileNamePrefix", "Cam");
        peltoQt.setMap("currentJob", "profileName", "Studio");
        win.script.goProfiling(false);
        var grid = alert("gridPlacement");
        grid.expertEnabled = true;
        mouseClick(alert("gridForward"));
        verify(grid.settingsOpen);
        var settings = alert("settingsView").item;
        compare(settings.objectName, "jobSettings");
        tryVerify(function () { return settings.visible; });
        peltoQt.clearCalls();
        var save = F.findChild(settings, "settingsSaveJob");
        waitForRendering(save);
        mouseClick(save);
        var dialog = alert("alertSaveJobProfiling");
        verify(dialog.visible);
        compare(dialog.name, "Studio");
        return dialog;
    }
    function test_gridSettingsSaveJobStartsProfiling() {
        var dialog = openGridSettings();
        keyClick(Qt.Key_End);
        keyClick("2");
        compare(dialog.name, "Studio2");
        mouseClick(F.findChild(dialog, "saveJobStart"));
        verify(!dialog.visible);
        compare(peltoQt.mapValue("currentJob", "name"), "Studio2");
        compare(peltoQt.calls().filter(function (c) {
            return c.indexOf("doesProfileExist") === 0 || c.indexOf("saveCurrentJob") === 0;
        }), ["doesProfileExist(CamStudio)", "saveCurrentJob(false)"]);
        compare(F.visiblePages(win), ["profilingProgress"]);
        compare(alert("imageWidget").actions, ["startProfiling"]);
    }
    function test_gridSettingsSaveJobAddsNewJob() {
        var dialog = openGridSettings();
        mouseClick(F.findChild(dialog, "saveJobNew"));
        compare(saves(), ["saveCurrentJob(false)"]);
        compare(F.visiblePages(win), ["manageJobs"]);
    }
    function test_gridSettingsSaveJobOverExistingJobAsks() {
        peltoQt.setAnswer("doesJobExist", true);
        peltoQt.setAnswer("isJobModified", false);
        var dialog = openGridSettings();
        mouseClick(F.findChild(dialog, "saveJobStart"));
        // Under a name that exists the job is never kept silently.
        verify(alert("alertJobExists").visible);
        compare(saves(), []);
        mouseClick(F.findChild(alert("alertJobExists"), "alertOK"));
        compare(saves(), ["saveCurrentJob(false)"]);
        compare(F.visiblePages(win), ["profilingProgress"]);
    }
}
