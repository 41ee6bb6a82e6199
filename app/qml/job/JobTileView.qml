import QtQuick 2.3
import "../misc"
import "../target"
import "../misc/Theme.js" as Theme
import "../script.js" as Script

// One job of the job manager: icon, summary, on/off toggle and tool bar.
Rectangle {
    id: tile
    property string jobName
    property string modelName
    property bool jobEnabled: true
    property int targetsCount: 0
    property bool moving: false
    signal moveStarted()
    signal moveDragged(real sceneX, real sceneY)
    signal moveEnded()
    signal duplicateClicked()
    signal deleteClicked()
    width: props.u250
    height: props.u250
    radius: props.u5
    color: "white"
    border.color: moving ? Theme.accent : "transparent"
    border.width: 2
    Image {
        id: icon
        // Below the tool bar, which would hide the chart's top row.
        anchors.top: parent.top
        anchors.topMargin: props.u50
        anchors.horizontalCenter: parent.horizontalCenter
        width: parent.width - props.u60
        height: props.u120
        fillMode: Image.PreserveAspectFit
        opacity: tile.jobEnabled ? 1.0 : 0.4
        source: tile.targetsCount > 0 ? Script.targetIconUrl(tile.jobName, 0) : "qrc:/images/target-empty.png"
        onStatusChanged: if (status === Image.Error) source = "qrc:/images/target-empty.png"
    }
    MouseArea {
        objectName: "tileArea"
        anchors.fill: parent
        cursorShape: Qt.PointingHandCursor
        onClicked: Script.selectJob(tile.jobName, "tileView", false)
    }
    TargetSummary {
        anchors.left: parent.left
        anchors.leftMargin: props.u15
        anchors.bottom: parent.bottom
        anchors.bottomMargin: props.u15
        count: tile.targetsCount
        jobName: tile.jobName
        modelName: tile.modelName
        active: tile.targetsCount > 0
    }
    OnOffToggle {
        objectName: "jobToggle"
        anchors.right: parent.right
        anchors.rightMargin: props.u15
        anchors.bottom: parent.bottom
        anchors.bottomMargin: props.u20
        toggleState: tile.jobEnabled ? "ENABLED" : "DISABLED"
        onToggled: {
            if (state === "ENABLED")
                peltoQt.jobEnabled(tile.jobName);
            else
                peltoQt.jobDisabled(tile.jobName);
        }
    }
    Rectangle {
        id: tools
        // Hidden by opacity: the move icon keeps the pointer while a drag runs.
        opacity: tile.moving ? 0 : 1
        anchors.top: parent.top
        anchors.right: parent.right
        anchors.margins: props.u5
        width: toolRow.width + props.u10
        height: props.u35
        radius: props.u5
        color: Qt.rgba(0.2, 0.22, 0.25, 0.85)
        Row {
            id: toolRow
            anchors.centerIn: parent
            BigToolButton {
                objectName: "tileMove"
                width: props.u30; height: props.u30
                source: "qrc:/images/tool-move.png"
                MouseArea {
                    id: moveHandle
                    objectName: "moveHandle"
                    anchors.fill: parent
                    preventStealing: true
                    onPressed: tile.moveStarted()
                    onPositionChanged: {
                        var p = mapToItem(null, mouse.x, mouse.y);
                        tile.moveDragged(p.x, p.y);
                    }
                    onReleased: tile.moveEnded()
                    onCanceled: tile.moveEnded()
                }
            }
            BigToolButton {
                objectName: "tileEdit"
                width: props.u30; height: props.u30
                source: "qrc:/images/tool-edit.png"
                onClicked: {
                    Script.selectJob(tile.jobName, "edit", false);
                    Script.goSelectTargets();
                }
            }
            BigToolButton {
                objectName: "tileDuplicate"
                width: props.u30; height: props.u30
                source: "qrc:/images/tool-duplicate.png"
                onClicked: tile.duplicateClicked()
            }
            BigToolButton {
                objectName: "tileDelete"
                width: props.u30; height: props.u30
                source: "qrc:/images/tool-delete.png"
                onClicked: tile.deleteClicked()
            }
        }
    }
}
