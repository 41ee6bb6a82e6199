import QtQuick 2.3
import "../misc"
import "../misc/Theme.js" as Theme
import "../script.js" as Script

// The enabled jobs one at a time, each with its drop view, and the strip below.
Rectangle {
    id: front
    objectName: "frontPage"
    color: Theme.page
    property alias list: jobList
    function enabledIndex() {
        var index = allEnabledJobs.currentIndex;
        return (index === undefined || index === null || index < 0) ? undefined : index;
    }
    function show(setCurrentJob) {
        visible = true;
        var index = enabledIndex();
        if (index === undefined)
            return;
        jobList.positionViewAtIndex(index, ListView.Beginning);
        jobList.currentIndex = index;
        strip.follow(index);
        if (setCurrentJob)
            peltoQt.setCurrentEnabledJobByIndex(index, "FrontPage", false);
    }
    function selectAtList() {
        if (!visible || jobList.count === 0)
            return;
        var index = jobList.indexAt(jobList.contentX + jobList.width / 2, jobList.height / 2);
        if (index < 0 || index === enabledIndex())
            return;
        strip.follow(index);
        peltoQt.setCurrentEnabledJobByIndex(index, "FrontPage", false);
    }
    // The list and the strip on the current job. The model reads its text on
    // a thread: a job added just now (a saved or duplicated one) is in it only
    // once it is ready again.
    function followCurrent() {
        var index = enabledIndex();
        if (index === undefined || index >= jobsModel.count)
            return;
        jobList.currentIndex = index;
        jobList.positionViewAtIndex(index, ListView.Beginning);
        strip.follow(index);
    }
    JobsModel {
        id: jobsModel
        xml: allEnabledJobs.xml === undefined ? "" : allEnabledJobs.xml
        onStatusChanged: if (status === 1) front.followCurrent()
    }
    ListView {
        id: jobList
        objectName: "frontJobList"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: strip.top
        orientation: ListView.Horizontal
        snapMode: ListView.SnapOneItem
        highlightRangeMode: ListView.StrictlyEnforceRange
        highlightMoveDuration: 500
        boundsBehavior: Flickable.StopAtBounds
        clip: true
        model: jobsModel
        delegate: JobInfoView {
            objectName: "jobInfoView_" + jobName
            width: jobList.width
            height: jobList.height
            jobName: model.jobName || ""
            modelName: model.targetModel || ""
            referenceName: model.referenceName || ""
            profileType: model.profileType || ""
            calculationSet: model.calculationSet || ""
            qcSet: model.qcSet || ""
            tint: model.targetTint || ""
            targetsCount: model.targetsCount || 0
            targetIndex: model.currentTargetIndex || 0
        }
        onMovementEnded: front.selectAtList()
        onWidthChanged: if (front.visible) front.selectAtList()
    }
    NoMoreJobs {
        anchors.centerIn: jobList
        visible: jobsModel.status === 1 && jobsModel.count === 0
        text: qsTr("NO MORE JOBS")
    }
    JobsNavigation {
        id: strip
        objectName: "jobsNavigation"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: props.u20
        jobsModel: jobsModel
        onPicked: {
            if (index < 0 || index >= jobsModel.count)
                return;
            jobList.currentIndex = index;
            follow(index);
            peltoQt.setCurrentEnabledJobByIndex(index, "FrontPage", false);
        }
    }
    Connections {
        target: peltoQt
        function onCurrentJobIndexChanged() { front.followCurrent(); }
        function onImageLoaded() { front.refreshCurrent(); }
        function onImagePreLoaded() { front.refreshCurrent(); }
        function onCurrentJobLostFocus() { front.refreshCurrent(); }
        function onCurrentJobReset() { front.refreshCurrent(); }
        function onCurrentJobNameChanged() { front.refreshCurrent(); }
    }
    function refreshCurrent() {
        if (jobList.currentItem)
            jobList.currentItem.dropView.refresh();
    }
    JobAlerts {
        visible: front.visible
    }
}
