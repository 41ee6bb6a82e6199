import QtQuick 2.3
import "../script.js" as Script

// The grid page: grid placement or quality control of the current job.
Item {
    id: profilingPage
    property alias gridPlacement: gridPlacement
    property alias imageItem: gridPlacement.imageItem
    visible: false

    function show(qa) {
        if (qa)
            gridPlacement.showQa()
        else
            gridPlacement.showGrid()
        visible = true
    }
    function hide() {
        visible = false
    }
    function back() {
        peltoQt.resetRuntime(false, true)
        Script.goFrontPage(false)
    }

    GridPlacement {
        id: gridPlacement
        objectName: "gridPlacement"
        anchors.fill: parent
        owner: profilingPage
    }
}
