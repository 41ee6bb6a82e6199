import QtQuick 2.3
import QtQml.Models 2.1
import "../misc"
import "../bottom"
import "../misc/Theme.js" as Theme
import "../script.js" as Script

// All jobs as tiles: enable, edit, duplicate, delete and reorder by dragging.
Rectangle {
    id: manage
    objectName: "manageJobs"
    color: Theme.page
    property string draggedJob: ""
    property string pendingJob: ""
    property alias grid: grid
    function show() {
        visible = true;
        bottomBar.sortToggle.refresh();
        var index = allJobs.currentIndex;
        if (index !== undefined && index >= 0)
            grid.positionViewAtIndex(index, GridView.Contain);
    }
    function hide() {
        visible = false;
    }
    JobsModel {
        id: jobsModel
        xml: allJobs.xml === undefined ? "" : allJobs.xml
    }
    DelegateModel {
        id: visualModel
        model: jobsModel
        delegate: Item {
            id: cell
            objectName: "jobTile_" + model.jobName
            readonly property int visualIndex: DelegateModel.itemsIndex
            width: grid.cellWidth
            height: grid.cellHeight
            JobTileView {
                id: tile
                anchors.centerIn: parent
                jobName: model.jobName || ""
                modelName: model.targetModel || ""
                jobEnabled: model.jobEnabled === true
                targetsCount: model.targetsCount || 0
                moving: manage.draggedJob === model.jobName
                onMoveStarted: {
                    peltoQt.movedJobReset();
                    manage.draggedJob = model.jobName;
                }
                onMoveDragged: manage.dragTo(sceneX, sceneY)
                onMoveEnded: manage.finishDrag()
                onDuplicateClicked: {
                    manage.pendingJob = model.jobName;
                    duplicateAlert.showWithName(model.jobName + " " + qsTr("Copy"));
                }
                onDeleteClicked: {
                    manage.pendingJob = model.jobName;
                    deleteAlert.title = qsTr("DELETE JOB") + " \"" + model.jobName + "\"";
                    deleteAlert.show();
                }
            }
        }
    }
    GridView {
        id: grid
        objectName: "jobsGrid"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: bottomBar.top
        anchors.margins: props.u20
        cellWidth: props.u270
        cellHeight: props.u270
        clip: true
        model: visualModel
        interactive: manage.draggedJob === ""
        displaced: Transition {
            NumberAnimation { properties: "x,y"; duration: 200 }
        }
    }
    function indexOfDragged() {
        for (var i = 0; i < visualModel.items.count; ++i) {
            if (visualModel.items.get(i).model.jobName === draggedJob)
                return i;
        }
        return -1;
    }
    // The pointer of a drag by the move icon, in window coordinates.
    function dragTo(sceneX, sceneY) {
        if (draggedJob === "")
            return;
        var p = grid.mapFromItem(null, sceneX, sceneY);
        var to = grid.indexAt(p.x + grid.contentX, p.y + grid.contentY);
        var from = indexOfDragged();
        if (to >= 0 && from >= 0 && to !== from) {
            visualModel.items.move(from, to);
            peltoQt.movedJobPrepare(draggedJob, from, to);
        }
        scroller.direction = p.y > grid.height - props.u200 ? 1 : (p.y < 0 ? -1 : 0);
    }
    function finishDrag() {
        scroller.direction = 0;
        if (draggedJob === "")
            return;
        draggedJob = "";
        peltoQt.movedJobNow();
    }
    Timer {
        id: scroller
        property int direction: 0
        interval: 30
        repeat: true
        running: direction !== 0
        onTriggered: {
            var y = grid.contentY + direction * props.u10;
            grid.contentY = Math.max(0, Math.min(y, Math.max(0, grid.contentHeight - grid.height)));
        }
    }
    Connections {
        target: peltoQt
        function onSortingJobsChanged() { bottomBar.sortToggle.refresh(); }
    }
    BottomBar {
        id: bottomBar
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
    }
    AlertDuplicateJob {
        id: duplicateAlert
        objectName: "alertDuplicateJob"
        onOkClicked: {
            if (peltoQt.duplicateJob(manage.pendingJob, name) === false) {
                alertGeneric.title = qsTr("Cannot Duplicate Job");
                alertGeneric.message = qsTr("The job could not be written.");
                alertGeneric.show();
            }
        }
    }
    AlertDeleteJob {
        id: deleteAlert
        objectName: "alertDeleteJob"
        onOkClicked: peltoQt.deleteJob(manage.pendingJob)
    }
}
