import QtQuick 2.3
import "../misc"
import "../misc/Theme.js" as Theme
import "../script.js" as Script

// The target count, the job name and the model; opens the targets overview.
Item {
    id: summary
    objectName: "targetSummary"
    property int count: 0
    property string jobName
    property string modelName
    property bool active: true
    width: row.width
    height: row.height
    Row {
    id: row
    spacing: props.u10
    Rectangle {
        width: props.u35
        height: width
        radius: width / 2
        color: summary.active ? Theme.accent : Theme.grey
        anchors.verticalCenter: parent.verticalCenter
        Text {
            anchors.centerIn: parent
            text: summary.count
            color: "white"
            font.family: Theme.font
            font.weight: Font.Bold
            font.pixelSize: props.FT_16
        }
    }
    Column {
        anchors.verticalCenter: parent.verticalCenter
        LabelContent { text: summary.jobName; font.pixelSize: props.FT_15; width: Math.min(implicitWidth, props.u200) }
        LabelDesc { text: summary.modelName; visible: text !== ""; width: Math.min(implicitWidth, props.u200) }
    }
    }
    MouseArea {
        anchors.fill: parent
        enabled: summary.active
        cursorShape: Qt.PointingHandCursor
        onClicked: {
            Script.selectJob(summary.jobName, "summary", true);
            Script.goTargetOverview(summary.count);
        }
    }
}
