import QtQuick 2.3
import "../script.js" as Script

// Switches between profiling (the front page) and the job editor; the chosen
// side follows the page shown.
SegmentToggle {
    id: toggle
    objectName: "profilingEditingToggle"
    labels: [qsTr("PROFILING"), qsTr("JOB EDITOR")]
    names: ["PROFILING", "JOB EDITOR"]
    function side() {
        return manageJobs.visible || selectTargets.visible || targetsOverview.visible ? "JOB EDITOR" : "PROFILING";
    }
    current: side()
    onChosen: {
        peltoQt.applySortedJobsList(true, true);
        peltoQt.resetRuntime(false, true);
        if (name === "PROFILING")
            Script.goFrontPage(true);
        else
            Script.goManageJobs();
        current = Qt.binding(side);
    }
}
