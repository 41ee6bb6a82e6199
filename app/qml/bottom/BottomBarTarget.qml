import QtQuick 2.3
import "../misc"
import "../target"
import "../script.js" as Script

// The target selection's bottom bar: BACK, the summary, EXPERT MODE, SAVE JOB.
Rectangle {
    id: bar
    readonly property int count: currentJob.targetCount === undefined ? 0 : currentJob.targetCount
    signal expertClicked()
    signal saveClicked()
    color: "white"
    height: props.u70
    TextButton {
        objectName: "targetsBack"
        anchors.left: parent.left
        anchors.leftMargin: props.u30
        anchors.verticalCenter: parent.verticalCenter
        text: qsTr("BACK")
        onClicked: {
            peltoQt.reloadJob(currentJob.name);
            Script.goManageJobs();
        }
    }
    TargetSummary {
        anchors.centerIn: parent
        count: bar.count
        jobName: currentJob.name
        active: bar.count > 0
    }
    Row {
        anchors.right: parent.right
        anchors.rightMargin: props.u30
        anchors.verticalCenter: parent.verticalCenter
        spacing: props.u10
        TextButton {
            objectName: "expertMode"
            // As tall as SAVE JOB beside it.
            height: saveButton.height
            text: qsTr("EXPERT MODE")
            enabled: bar.count > 0
            onClicked: bar.expertClicked()
        }
        MainButton {
            id: saveButton
            objectName: "saveJob"
            text: qsTr("SAVE JOB")
            enabled: bar.count > 0
            onClicked: bar.saveClicked()
        }
    }
}
