import QtQuick 2.3
import "../misc"
import "../misc/Theme.js" as Theme

// One job on the front page: its labels and its drop view.
Item {
    id: view
    property string jobName
    property string modelName
    property string referenceName
    property string profileType
    property string calculationSet
    property string qcSet
    property string tint
    property int targetsCount: 0
    property int targetIndex: 0
    property alias dropView: dropView
    JobLabels {
        id: labels
        anchors.left: parent.left
        anchors.leftMargin: props.u60
        anchors.verticalCenter: parent.verticalCenter
        jobName: view.jobName
        modelName: view.modelName
        referenceName: view.referenceName
        profileType: view.profileType
        calculationSet: view.calculationSet
        qcSet: view.qcSet
    }
    JobDropView {
        id: dropView
        anchors.left: labels.right
        anchors.leftMargin: props.u40
        anchors.right: parent.right
        anchors.rightMargin: props.u60
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        jobName: view.jobName
        targetsCount: view.targetsCount
        targetIndex: view.targetIndex
        tint: view.isCurrentJob && currentJob.currentTint !== undefined && currentJob.currentTint !== "" ? currentJob.currentTint : view.tint
    }
    readonly property bool isCurrentJob: currentJob.name === jobName
}
