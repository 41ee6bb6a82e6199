// Stand-in for the page-switching script: records each call with the
// controller fake and runs the "profile" save flow's last step.
function record(name, args) {
    var parts = []
    for (var i = 0; i < args.length; ++i)
        parts.push(typeof args[i] === "object" ? "obj" : String(args[i]))
    peltoQt.record("Script." + name + "(" + parts.join(",") + ")")
}
function goFrontPage(setCurrentJob) { record("goFrontPage", arguments) }
function goProfiling(qa) { record("goProfiling", arguments) }
function goProfilingProgress(clientTarget) { record("goProfilingProgress", arguments) }
function goFilmCurveMissing() { record("goFilmCurveMissing", arguments) }
function goFilmCurveExtraction() { record("goFilmCurveExtraction", arguments) }
function setMainTitle(title, remember) { record("setMainTitle", arguments) }
function alertInFilmCurveExtraction(errorText) { record("alertInFilmCurveExtraction", arguments) }
function showSaveJob(profilePage) { record("showSaveJob", arguments) }
function saveCurrentJob(checkExist, assumeModified, nextUI, targetObj) {
    record("saveCurrentJob", [checkExist, assumeModified, nextUI])
    if (nextUI === "profile") {
        targetObj.startProfiling()
        goProfilingProgress(targetObj)
    }
}
