import QtQuick 2.3
import QtQuick.Dialogs 1.2
import QtQuick.XmlListModel 2.0
import "../misc"
import "../misc/Theme.js" as Theme
import "../script.js" as Script

// The job's target in perspective with the remaining count, and the area
// where shots are dropped or browsed.
Item {
    id: dropView
    property string jobName
    property int targetsCount: 0
    property int targetIndex: 0
    property string tint: ""
    property alias shotDialog: fileDialog
    property bool isCurrent: currentJob.name === jobName
    readonly property int remaining: isCurrent && currentJob.currentTarget >= 0
                                     ? Math.max(0, targetsCount - currentJob.currentTarget) : targetsCount
    readonly property int progress: isCurrent && currentJob.imageProgress !== undefined ? currentJob.imageProgress : 0
    property int iconGeneration: 0
    function refresh() {
        iconGeneration += 1;
    }
    // The target the next drop goes to: the current job's current target.
    readonly property int nextTarget: isCurrent && currentJob.currentTarget >= 0 ? currentJob.currentTarget : targetIndex
    readonly property string nextTargetIcon: isCurrent && currentJob.currentTargetIcon !== undefined
                                             ? currentJob.currentTargetIcon : ""
    readonly property string nextTargetName: {
        if (!isCurrent)
            return "";
        for (var i = 0; i < targetsModel.count; ++i)
            if (targetsModel.get(i).targetIndex === nextTarget)
                return targetsModel.get(i).name;
        return "";
    }
    XmlListModel {
        id: targetsModel
        xml: dropView.isCurrent && currentJob.targets !== undefined ? currentJob.targets : ""
        query: "/targets/target"
        XmlRole { name: "name"; query: "name/string()" }
        XmlRole { name: "targetIndex"; query: "index/number()" }
    }
    Item {
        id: target
        width: parent.width * 0.55
        height: parent.height * 0.8
        anchors.verticalCenter: parent.verticalCenter
        Image {
            id: icon
            anchors.fill: parent
            anchors.margins: props.u20
            fillMode: Image.PreserveAspectFit
            cache: false
            objectName: "nextTargetIcon"
            source: dropView.nextTargetIcon !== ""
                    ? dropView.nextTargetIcon + "#" + dropView.iconGeneration
                    : dropView.jobName !== ""
                      ? Script.targetIconUrl(dropView.jobName, dropView.targetIndex) + "#" + dropView.iconGeneration
                      : "qrc:/images/target-empty.png"
            onStatusChanged: if (status === Image.Error) source = "qrc:/images/target-empty.png"
            transform: Rotation {
                origin.x: icon.width / 2
                origin.y: icon.height / 2
                axis { x: 0.3; y: 1; z: 0 }
                angle: 28
            }
        }
        Rectangle {
            anchors.fill: icon
            visible: dropView.tint !== "" && dropView.tint !== "transparent"
            color: dropView.tint
            opacity: 0.18
        }
        Text {
            objectName: "nextTargetName"
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.top: parent.bottom
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            elide: Text.ElideRight
            visible: text !== ""
            text: dropView.nextTargetName
            color: Theme.dark
            font.family: Theme.font
            font.pixelSize: props.FT_14
        }
        Rectangle {
            objectName: "remainingCount"
            anchors.right: parent.right
            anchors.top: parent.top
            width: props.u40
            height: width
            radius: width / 2
            color: Theme.accent
            visible: dropView.targetsCount > 1
            Text {
                anchors.centerIn: parent
                text: dropView.remaining
                color: "white"
                font.family: Theme.font
                font.weight: Font.Bold
                font.pixelSize: props.FT_18
            }
        }
    }
    Rectangle {
        id: dropZone
        objectName: "dropArea"
        anchors.left: target.right
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        height: parent.height * 0.7
        radius: props.u10
        color: drop.containsDrag ? Qt.rgba(0, 0.59, 0.84, 0.12) : Qt.rgba(1, 1, 1, 0.5)
        border.color: Theme.accent
        border.width: 2
        Column {
            anchors.centerIn: parent
            width: parent.width - props.u20
            spacing: props.u10
            visible: dropView.progress === 0 || dropView.progress === 100
            Image {
                anchors.horizontalCenter: parent.horizontalCenter
                source: "qrc:/images/drop-art.png"
                width: Math.min(props.u60, dropZone.height * 0.35)
                height: width
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: qsTr("DRAG & DROP")
                color: Theme.accent
                font.family: Theme.font
                font.weight: Font.Bold
                font.pixelSize: dropZone.height < props.u150 ? props.FT_16 : props.FT_22
            }
            Text {
                width: parent.width
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WordWrap
                text: qsTr("or click to browse Targetshot")
                color: Theme.grey
                font.family: Theme.font
                font.pixelSize: props.FT_13
            }
        }
        Column {
            anchors.centerIn: parent
            width: parent.width * 0.7
            spacing: props.u10
            visible: !(dropView.progress === 0 || dropView.progress === 100)
            ProgressBar {
                width: parent.width
                value: dropView.progress
            }
            Text {
                objectName: "dropProgress"
                anchors.horizontalCenter: parent.horizontalCenter
                text: dropView.progress + "%"
                color: Theme.dark
                font.family: Theme.font
                font.pixelSize: props.FT_18
            }
        }
        DropArea {
            id: drop
            anchors.fill: parent
            keys: ["text/uri-list"]
            onDropped: {
                if (drop.hasUrls) {
                    Script.dropShots(dropView.jobName, drop.urls);
                    drop.acceptProposedAction();
                }
            }
        }
        MouseArea {
            anchors.fill: parent
            cursorShape: Qt.PointingHandCursor
            onClicked: {
                // The widget dialog is made on its first opening and takes
                // the folder only once it exists.
                fileDialog.nameFilters = peltoQt.shotNameFilters();
                fileDialog.open();
                fileDialog.folder = peltoQt.shotBrowseFolder();
            }
        }
    }
    FileDialog {
        id: fileDialog
        objectName: "shotDialog"
        title: qsTr("Please choose a Targetshot")
        selectMultiple: true
        onAccepted: Script.dropShots(dropView.jobName, fileDialog.fileUrls)
    }
}
