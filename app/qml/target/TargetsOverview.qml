import QtQuick 2.3
import QtQuick.XmlListModel 2.0
import "../misc"
import "../misc/Theme.js" as Theme
import "../script.js" as Script

// The current job's targets with their tints; CLOSE returns to the selection.
Rectangle {
    id: overview
    objectName: "targetsOverview"
    color: Theme.page
    property string jobName
    property bool isC1: false
    property int targetCount: 0
    function show(name, c1, tcount) {
        jobName = name;
        isC1 = c1 === true;
        targetCount = tcount;
        targets.xml = "";
        targets.xml = currentJob.targets === undefined ? "" : currentJob.targets;
        visible = true;
    }
    XmlListModel {
        id: targets
        query: "/targets/target"
        XmlRole { name: "index"; query: "number(index)" }
        XmlRole { name: "name"; query: "name/string()" }
        XmlRole { name: "targetModel"; query: "model/string()" }
        XmlRole { name: "targetIcon"; query: "targetIcon/string()" }
        XmlRole { name: "targetTint"; query: "targetTint/string()" }
    }
    GridView {
        id: grid
        objectName: "overviewGrid"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: closeBar.top
        anchors.margins: props.u30
        cellWidth: props.u270
        cellHeight: props.u250
        clip: true
        model: targets
        delegate: Rectangle {
            width: grid.cellWidth - props.u20
            height: grid.cellHeight - props.u20
            radius: props.u5
            color: "white"
            readonly property int targetIndex: isNaN(model.index) ? index : model.index
            readonly property string tint: peltoQt.getTargetTint(overview.jobName, targetIndex)
            Image {
                id: icon
                anchors.top: parent.top
                anchors.topMargin: props.u20
                anchors.horizontalCenter: parent.horizontalCenter
                width: parent.width - props.u40
                height: props.u140
                fillMode: Image.PreserveAspectFit
                source: Script.targetPictureUrl(overview.jobName, parent.targetIndex, model.targetIcon)
                onStatusChanged: {
                    if (status !== Image.Error)
                        return;
                    var fromJob = Script.targetIconUrl(overview.jobName, parent.targetIndex);
                    source = String(source) === fromJob ? "qrc:/images/target-empty.png" : fromJob;
                }
            }
            Rectangle {
                anchors.fill: icon
                color: parent.tint
                opacity: 0.2
                visible: parent.tint !== "" && parent.tint !== "transparent"
            }
            Column {
                anchors.left: parent.left
                anchors.leftMargin: props.u20
                anchors.bottom: parent.bottom
                anchors.bottomMargin: props.u15
                LabelContent { text: model.name || ""; width: props.u200 }
                LabelDesc { text: model.targetModel || ""; width: props.u200 }
            }
        }
    }
    Rectangle {
        id: closeBar
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: props.u70
        color: "white"
        MainButton {
            objectName: "overviewClose"
            anchors.centerIn: parent
            text: qsTr("CLOSE")
            onClicked: Script.goSelectTargets()
        }
    }
}
