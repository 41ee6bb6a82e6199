import QtQuick 2.3
import "../script.js" as Script

// Switches between profiling (the front page) and the job editor.
SegmentToggle {
    objectName: "profilingEditingToggle"
    labels: [qsTr("PROFILING"), qsTr("JOB EDITOR")]
    names: ["PROFILING", "JOB EDITOR"]
    onChosen: {
        peltoQt.applySortedJobsList(true, true);
        peltoQt.resetRuntime(false, true);
        if (name === "PROFILING")
            Script.goFrontPage(true);
        else
            Script.goManageJobs();
    }
}
