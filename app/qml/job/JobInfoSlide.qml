import QtQuick 2.3
import "../misc"
import "../misc/Theme.js" as Theme

// One job of the jobs slide: the labels in a row and the target with its drop area.
Rectangle {
    id: slide
    property string jobName
    property string modelName
    property string referenceName
    property string profileType
    property string calculationSet
    property string qcSet
    property int targetsCount: 0
    property int targetIndex: 0
    property alias dropView: dropView
    color: "white"
    radius: props.u5
    height: props.u150
    Row {
        id: labels
        anchors.left: parent.left
        anchors.leftMargin: props.u30
        anchors.verticalCenter: parent.verticalCenter
        spacing: props.u30
        Repeater {
            model: [[qsTr("JOBNAME"), slide.jobName], [qsTr("MODEL"), slide.modelName],
                    [qsTr("REFERENCE"), slide.referenceName], [qsTr("PROFILE TYPE"), slide.profileType],
                    [qsTr("CALCULATION PARAMETER SET"), slide.calculationSet], [qsTr("QC-SET"), slide.qcSet]]
            Column {
                width: props.u110
                // Two lines for the long captions; the values stay in one row.
                LabelDesc {
                    text: modelData[0]
                    width: parent.width
                    height: font.pixelSize * 3
                    wrapMode: Text.WordWrap
                    maximumLineCount: 2
                    verticalAlignment: Text.AlignBottom
                }
                LabelContent { text: modelData[1]; width: parent.width; font.pixelSize: props.FT_15 }
            }
        }
    }
    JobDropView {
        id: dropView
        anchors.right: parent.right
        anchors.rightMargin: props.u20
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        width: props.u300
        jobName: slide.jobName
        targetsCount: slide.targetsCount
        targetIndex: slide.targetIndex
    }
}
