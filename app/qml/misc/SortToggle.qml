import QtQuick 2.3

// Automatic (last used first) or the user's fixed order of the jobs.
Item {
    id: sortToggle
    width: toggle.width
    height: toggle.height
    function refresh() {
        toggle.current = peltoQt.isSortingJobsAuto() ? "AUTO" : "FIXED";
    }
    Component.onCompleted: refresh()
    SegmentToggle {
        id: toggle
        objectName: "sortToggle"
        labels: [qsTr("AUTO"), qsTr("FIXED")]
        names: ["AUTO", "FIXED"]
        onChosen: {
            peltoQt.setSortingJobsAuto(name === "AUTO");
            if (name === "AUTO")
                tip.show();
        }
    }
    ToolTip {
        id: tip
        title: qsTr("You changed the Sorting")
        message: qsTr("Now your jobs will be sorted chronologically by last used")
        pointerBelow: true
        y: -height - props.u5
    }
}
