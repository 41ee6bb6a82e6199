// Page switching, titles, the job-saving dialogue and the value lists of the
// expert-setting combo boxes. Imported by the window and every page; the
// page ids below are those of main.qml.

// ---------------------------------------------------------------- pages

function allPages() {
    return [intro, introPage, frontPage, jobsSlide, manageJobs, targetsOverview, selectTargets,
            filmCurveMissing, filmCurveExtraction, profilingPage, profilingProgress];
}

function hideAllPagesBut(page) {
    var pages = allPages();
    for (var i = 0; i < pages.length; ++i) {
        var p = pages[i];
        if (p === page)
            continue;
        if (typeof p.hide === "function")
            p.hide();
        else
            p.visible = false;
    }
}

function showPage(page, title, magState) {
    hideAllPagesBut(page);
    page.visible = true;
    if (title !== undefined)
        setMainTitle(title, false);
    if (magState !== undefined)
        mainBar.setMagState(magState);
}

function jobTitle(suffix) {
    return "  " + currentJob.name + " - " + suffix;
}

var introTitles = [
    [],
    [qsTr("Drag & Drop"), qsTr("Place Grid"), qsTr("Tools")],
    [qsTr("Expert Mode"), qsTr("Multitargeting"), qsTr("Illuminants")],
    [qsTr("Signal Colors"), qsTr("Quality Statistics"), qsTr("Compare Profile")],
    [qsTr("Create Jobs"), qsTr("Manage Jobs"), qsTr("Edit Jobs")]
];

var introPictures = [
    [],
    ["01-DragDrop", "02-Place-Grid", "03-Tools"],
    ["04-Expert-Mode", "05-Multi-Target", "06-Illuminants"],
    ["07-Signal-Colours", "08-Quality-Statistics", "09-Compare-Profiles"],
    ["10-Create-Jobs", "11-Manage-Jobs", "12-Edit-Jobs"]
];

var introTexts = [
    [],
    [qsTr("Drop the raw shot of your target onto the job. TIFF and JPEG files work too. A counter shows how far the shot has loaded."),
     qsTr("The corners of the chart are found automatically and a quick profile is made at once. Each patch shows two triangles: the reference and the result."),
     qsTr("Zoom in and out, rotate the shot and the grid is placed again. The loupe shows single pixels, and the profile name can be edited.")],
    [qsTr("The expert mode offers every parameter of the profile. Raw files give DCP profiles, all others ICC profiles. Parameters can be locked."),
     qsTr("A job can hold several targets. Their readings are combined into one profile."),
     qsTr("A DCP job from a daylight and a Tungsten shot lets you use the temperature slider. The targets still to shoot are counted down.")],
    [qsTr("Signal colours show at a glance how close each patch came to its reference."),
     qsTr("Each patch shows its readings in Lab and LCh. The quantifier slider starts at 50 %."),
     qsTr("Compare the new profile with one you made before.")],
    [qsTr("Create a job for each camera and light. A job can hold two targets or more."),
     qsTr("Sort your jobs, disable the ones you do not need, delete or duplicate them."),
     qsTr("Change the reference file of a target and the expert settings of a job at any time.")]
];

function goIntroPage(page) {
    mainRect.setFixedWindowMode(true);
    if (page === 0) {
        showPage(intro);
        return;
    }
    var titles = [qsTr("Select"), qsTr("Create"), qsTr("Control"), qsTr("Jobs")];
    introPage.page = page;
    introPage.titles = introTitles[page];
    introPage.texts = introTexts[page];
    introPage.pictures = introPictures[page].map(function (name) { return "qrc:/assets/" + name + ".jpg"; });
    showPage(introPage, "  " + titles[page - 1]);
}

function goFrontPage(setCurrentJob) {
    mainRect.setFixedWindowMode(false);
    mainBar.state = "NORMAL";
    hideAllPagesBut(frontPage);
    setMainTitle("  " + qsTr("Select your Job"), false);
    mainBar.setMagState("PERSPECTIVE");
    frontPage.show(setCurrentJob);
}

function goJobsSlide() {
    showPage(jobsSlide, "  " + qsTr("Select your Job"), "SLIDER");
}

function goManageJobs() {
    hideAllPagesBut(manageJobs);
    setMainTitle("  " + qsTr("Manage your Jobs"), false);
    mainBar.setMagState("INVISIBLE");
    manageJobs.show();
    peltoQt.clearTemporaries();
}

function goTargetOverview(tcount) {
    hideAllPagesBut(targetsOverview);
    setMainTitle(jobTitle(qsTr("Targets Overview")), false);
    mainBar.setMagState("INVISIBLE");
    targetsOverview.show(currentJob.name, currentJob.isC1InsteadOfDCP, tcount);
}

function goSelectTargets() {
    hideAllPagesBut(selectTargets);
    setMainTitle(jobTitle(qsTr("Select your Target")), false);
    mainBar.setMagState("INVISIBLE");
    selectTargets.show();
}

function goFilmCurveMissing() {
    showPage(filmCurveMissing, "  " + qsTr("Film Curve Missing"), "INVISIBLE");
}

function goFilmCurveExtraction() {
    showPage(filmCurveExtraction, "  " + qsTr("Extract Film Curve"), "INVISIBLE");
}

function goProfiling(qa) {
    hideAllPagesBut(profilingPage);
    mainBar.setMagState("INVISIBLE");
    if (qa) {
        setMainTitle("  " + qsTr("Quality Control"), false);
        peltoQt.setProfilingStage("Quality Control");
    } else {
        setMainTitle("  " + qsTr("Place the Grid"), false);
        peltoQt.setProfilingStage("Adjust the Mask");
        peltoQt.justUsedJob(currentJob.name);
    }
    profilingPage.show(qa);
}

function goProfilingProgress(clientTarget) {
    hideAllPagesBut(profilingProgress);
    setMainTitle("  " + qsTr("Creating Profile...") + " ", false);
    mainBar.setMagState("INVISIBLE");
    profilingProgress.show(clientTarget);
}

// ---------------------------------------------------------------- titles

function setMainTitle(title, remember) {
    if (mainRect.mainTitle === title)
        return;
    peltoQt.storePreviousMainTitle(remember ? mainRect.mainTitle : "");
    mainRect.mainTitle = title;
}

function resetMainTitle() {
    var previous = peltoQt.getPreviousMainTitle();
    if (previous !== undefined && previous !== "")
        mainRect.mainTitle = previous;
}

// A TIFF found unfit after it was taken brings the user back to the page.
function alertInFilmCurveExtraction(errorText) {
    if (!filmCurveExtraction.visible)
        goFilmCurveExtraction();
    filmCurveExtraction.showAlert(errorText);
}

// ---------------------------------------------------------------- saving

// The save ends here: the page's own title comes back from "Save Job".
function showCannotSave(message) {
    resetMainTitle();
    alertGeneric.title = qsTr("Cannot Save Job");
    alertGeneric.message = message;
    alertGeneric.show();
}

// Saves the current job and moves on to nextUI ("front", "manage", "new" or
// "profile"); targetObj is the image item that starts a profiling run.
function saveCurrentJob(checkExist, assumeModified, nextUI, targetObj) {
    if (peltoQt.isJobD65StdAWithoutSpectral(currentJob.name)) {
        showCannotSave(qsTr("Temperature") + " '" + qsTr("D65 + Std. Illuminant A") + "' "
                       + qsTr("requires spectral reference"));
        return false;
    }
    var save = true;
    if (checkExist && peltoQt.doesJobExist(currentJob.name)) {
        if (peltoQt.isJobModified(currentJob.name) || assumeModified) {
            alertJobExists.nextUI = nextUI;
            alertJobExists.targetObj = targetObj;
            alertJobExists.show();
            return false;
        }
        save = false;
    }
    if (save) {
        var saved = peltoQt.saveCurrentJob(currentJob.isC1InsteadOfDCP);
        if (saved === false) {
            var why = currentJob.saveFailure;
            if (why === undefined || why === "")
                why = qsTr("The job could not be written.");
            if (currentJob.saveFailureOffersNewName === true) {
                resetMainTitle();
                alertSaveAsNew.nextUI = nextUI;
                alertSaveAsNew.targetObj = targetObj;
                alertSaveAsNew.message = why + "\n" + qsTr("Save the job under a new name to keep your changes?");
                alertSaveAsNew.show();
                return false;
            }
            showCannotSave(why);
            return false;
        }
    }
    var name = currentJob.name;
    if (nextUI === "front") {
        goFrontPage(false);
        peltoQt.setCurrentJob(name, "afterSave", false);
    } else if (nextUI === "manage" || nextUI === "new") {
        goManageJobs();
    } else if (nextUI === "profile") {
        if (targetObj)
            targetObj.action = "startProfiling";
        goProfilingProgress(targetObj);
    }
    return true;
}

// The three-button save of a job over the grid page's settings:
// START PROFILING hands the typed name to profilePage.saveJobAndProfile.
function showSaveJob(profilePage) {
    alertSaveJobProfiling.profilePage = profilePage;
    alertSaveJobProfiling.showWithName(currentJob.name);
}

// The characters that no job, set or profile name may hold.
var forbiddenNameCharacters = /[\\\/:*?"<>|]/;

function isValidName(name) {
    return name !== undefined && name.trim() !== "" && !forbiddenNameCharacters.test(name);
}

// ---------------------------------------------------------------- combo lists

function entry(label, value, list) {
    return { label: label, value: value, list: list === undefined ? "" : list, selected: false };
}

function same(values) {
    var result = [];
    for (var i = 0; i < values.length; ++i)
        result.push(entry(values[i], values[i]));
    return result;
}

var profileTypeInfo = qsTr("Profiles are optimized for art reproduction, photography or for scanning originals.");

var cbcameraIlluminant = {
    title: qsTr("TEMPERATURE"), infoTitle: qsTr("Temperature"),
    info: qsTr("Make a profile from one image or from daylight and Tungsten shots. The latter will let you use the temperature slider in Adobe Camera Raw."),
    entries: [entry(qsTr("As Shot"), "As Shot"), entry(qsTr("D65 + Std. Illuminant A"), "D65 + Std. Illuminant A")]
};
var cbICCIlluminant = {
    title: qsTr("ILLUMINANTS"), infoTitle: qsTr("Illuminant"),
    info: qsTr("Make a profile that simulates different lighting. Various CIE standards are selectable."),
    entries: [entry(qsTr("CIE D50"), "CIE_D50"),
              entry(qsTr("Standard Illuminants"), "Standard Illuminants", "illuminants_standard"),
              entry(qsTr("Fluorescent Illuminants"), "Fluorescent Illuminants", "illuminants_fluorecent"),
              entry(qsTr("Custom Illuminants"), "Custom Illuminants", "illuminants_custom")]
};
var cbilluminants_standard = {
    title: "", infoTitle: "", info: "",
    entries: same(["CIE_A", "CIE_B", "CIE_C", "CIE_D50", "CIE_D55", "CIE_D65", "CIE_D75", "CIE_E"])
};
var cbilluminants_fluorecent = {
    title: "", infoTitle: "", info: "",
    entries: same(["CIE_F1", "CIE_F2", "CIE_F3", "CIE_F4", "CIE_F5", "CIE_F6", "CIE_F7", "CIE_F8", "CIE_F9",
                   "CIE_F10", "CIE_F11", "CIE_F12"])
};
var cbilluminants_custom = { title: "", infoTitle: "", info: "", entries: [] };
var cbprofileType = {
    title: qsTr("PROFILE TYPE"), infoTitle: qsTr("Profile Type"), info: profileTypeInfo,
    entries: [entry(qsTr("Art Repro / Archival"), "Art Repro / Archival"), entry(qsTr("Photography"), "Photography"),
              entry(qsTr("Scanner"), "Scanner")]
};
var cbprofileTypeCamera = {
    title: qsTr("PROFILE TYPE"), infoTitle: qsTr("Profile Type"), info: profileTypeInfo,
    entries: [entry(qsTr("Art Repro / Archival"), "Art Repro / Archival"), entry(qsTr("Repro+"), "Repro+"),
              entry(qsTr("Photography"), "Photography")]
};
var cbprofileTypeC1 = {
    title: qsTr("PROFILE TYPE"), infoTitle: qsTr("Profile Type"), info: profileTypeInfo,
    entries: [entry(qsTr("Photography Linear Response"), "Photography Linear Response")]
};
var cbprofileTypeICC = {
    title: qsTr("PROFILE TYPE"), infoTitle: qsTr("Profile Type"), info: profileTypeInfo,
    entries: [entry(qsTr("Art Repro / Archival"), "Art Repro / Archival"), entry(qsTr("Photography"), "Photography"),
              entry(qsTr("Scanner"), "Scanner")]
};
var cbexposureOffset = {
    title: qsTr("EXPOSURE OFFSET"), infoTitle: qsTr("Exposure Offset"),
    info: qsTr("Increase the exposure by a multiple of half stops."),
    entries: [entry(qsTr("None "), "None"), entry("0.5", "0.5"), entry("1", "1"), entry("1.5", "1.5"), entry("2", "2")]
};
var cbshading = {
    title: qsTr("SHADING"), infoTitle: "", info: "",
    entries: [entry(qsTr("On"), "On"), entry(qsTr("Off"), "Off")]
};
var cbbatchMode = {
    title: qsTr("BATCH MODE"), infoTitle: "", info: "",
    entries: [entry(qsTr("On"), "On"), entry(qsTr("Off"), "Off")]
};
var cbprofileOptimization = {
    title: qsTr("PROFILE OPTIMIZATION"), infoTitle: qsTr("Profile Optimization"),
    info: qsTr("Color error is defined in ∆E. ∆E2000L is the newest formula."),
    entries: same(["ΔE 76", "ΔE 94", "ΔE 2000", "ΔE 2000L"])
};
var cbwhitePoint = {
    title: qsTr("WHITE POINT/EXP.COMP"), infoTitle: qsTr("White Point"),
    info: qsTr("Auto Exposure will make the identical profile from different exposures."),
    entries: [entry(qsTr("None"), "None"), entry(qsTr("Auto Exposure"), "Auto Exposure")]
};
var cbconnectionSpace = {
    title: qsTr("CONNECTION SPACE"), infoTitle: qsTr("Connection Space"),
    info: qsTr("Choose Lab space if you want to use the Color Editor in Capture One. Otherwise XYZ space yields more precision."),
    entries: same(["XYZ", "Lab"])
};
var cbgrayWeight = {
    title: qsTr("GRAY WEIGHT"), infoTitle: "", info: "",
    entries: [entry(qsTr("Auto"), "Auto"), entry(qsTr("More"), "More"), entry(qsTr("Much More"), "Much More")]
};
var cbqualityControl = {
    title: qsTr("QUALITY CONTROL"), infoTitle: "", info: "",
    entries: [entry(qsTr("FADGI"), "FADGI"), entry(qsTr("Metamorfoze"), "Metamorfoze"), entry(qsTr("Default"), "Default")]
};
var cbobserver = {
    title: qsTr("OBSERVER"), infoTitle: qsTr("Observer"),
    info: qsTr("The ten degree observer is used for looking at large color areas."),
    entries: [entry(qsTr("2-Degree"), "2-Degree"), entry(qsTr("10-Degree"), "10-Degree")]
};

var comboLists = {
    cbcameraIlluminant: cbcameraIlluminant, cbICCIlluminant: cbICCIlluminant,
    cbilluminants_standard: cbilluminants_standard, cbilluminants_fluorecent: cbilluminants_fluorecent,
    cbilluminants_custom: cbilluminants_custom, cbprofileType: cbprofileType,
    cbprofileTypeCamera: cbprofileTypeCamera, cbprofileTypeC1: cbprofileTypeC1, cbprofileTypeICC: cbprofileTypeICC,
    cbexposureOffset: cbexposureOffset, cbshading: cbshading, cbbatchMode: cbbatchMode,
    cbprofileOptimization: cbprofileOptimization, cbwhitePoint: cbwhitePoint, cbconnectionSpace: cbconnectionSpace,
    cbgrayWeight: cbgrayWeight, cbqualityControl: cbqualityControl, cbobserver: cbobserver
};

function listName(name) {
    if (name === undefined || name === null)
        return "";
    return name.indexOf("cb") === 0 ? name : "cb" + name;
}

// The list of that name ("cb" prefix optional); the custom illuminants come
// from the controller each time.
function comboList(name) {
    var key = listName(name);
    if (key === "cbilluminants_custom") {
        var custom = peltoQt.getCustomIlluminants();
        var names = custom ? String(custom).split("|").filter(function (s) { return s !== ""; }) : [];
        return { title: "", infoTitle: "", info: "", entries: same(names) };
    }
    return comboLists.hasOwnProperty(key) ? comboLists[key] : null;
}

function initListModelWithObject(msg, list) {
    msg.listModel.clear();
    var longest = 4;
    var defaultValue = "";
    var haveDefault = false;
    for (var i = 0; i < list.entries.length; ++i) {
        var e = list.entries[i];
        msg.listModel.append({ label: e.label, value: e.value, list: e.list, selected: e.selected });
        longest = Math.max(longest, e.label.length, e.value.length);
        if (!haveDefault && e.list !== "") {
            defaultValue = e.value !== "" ? e.value : e.label;
            haveDefault = true;
        }
    }
    var count = list.entries.length;
    msg.listOffset = count > 3 ? 2 : (count === 1 ? 0 : 1);
    msg.longest = longest;
    msg.defaultValue = defaultValue;
    msg.title = list.title;
    msg.infoTitle = list.infoTitle;
    msg.info = list.info;
}

function initStaticListModel(msg) {
    var list = comboList(msg.list);
    if (list === null)
        list = { title: "", infoTitle: "", info: "", entries: [] };
    initListModelWithObject(msg, list);
}

function initDynamicListModel(listStr, msg) {
    var names = listStr ? String(listStr).split("|").filter(function (s) { return s !== ""; }) : [];
    initListModelWithObject(msg, { title: msg.title, infoTitle: msg.infoTitle, info: msg.info, entries: same(names) });
}

function findLabel(list, value, depth) {
    if (list === null || depth > 2)
        return undefined;
    for (var i = 0; i < list.entries.length; ++i) {
        var e = list.entries[i];
        if (e.value === value && e.list === "")
            return e.label;
    }
    for (var j = 0; j < list.entries.length; ++j) {
        if (list.entries[j].list !== "") {
            var label = findLabel(comboList(list.entries[j].list), value, depth + 1);
            if (label !== undefined)
                return label;
        }
    }
    return undefined;
}

function getLabelFromValue(listName, value) {
    var label = findLabel(comboList(listName), value, 0);
    return label === undefined ? value : label;
}

// ---------------------------------------------------------------- drops

// Shots dropped or browsed onto a job: one selection, then the whole drop to
// the controller, which gives each file its target and tells what it refused.
// Returns the number of files taken.
function dropShots(jobName, urls) {
    var files = [];
    for (var i = 0; i < urls.length; ++i)
        files.push(String(urls[i]));
    if (files.length === 0)
        return 0;
    if (peltoQt.setCurrentJob(jobName, "dropped", false))
        peltoQt.refreshCurrentJob4UI();
    var outcomes = peltoQt.dropShots(files);
    var taken = 0;
    for (var j = 0; j < outcomes.length; ++j)
        if (outcomes[j].target >= 0)
            ++taken;
    return taken;
}

// Selects a job and publishes it when the controller asks for that.
function selectJob(name, origin, force) {
    if (peltoQt.setCurrentJob(name, origin, force))
        peltoQt.refreshCurrentJob4UI();
}

// The job name is percent-encoded: a "#", "?" or "%" in it would cut the id.
function targetIconUrl(jobName, index) {
    return "image://targets/" + encodeURIComponent(jobName) + "." + index;
}

// A chosen target's picture: its file when it has one, else the job's picture
// from the provider. A job not yet saved (a new one) is in no job list, so
// the provider knows no picture of it. A target without a picture file names
// the templates folder.
function targetPictureUrl(jobName, index, fileUrl) {
    var hasFile = fileUrl !== undefined && fileUrl !== "" && String(fileUrl).slice(-1) !== "/";
    return hasFile ? fileUrl : targetIconUrl(jobName, index);
}
