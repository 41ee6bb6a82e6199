import QtQuick 2.3
import QtQuick.XmlListModel 2.0

// The current job's targets, or the shots of the current target. Clicking a
// target selects it; clicking the number of the current target lists its
// shots; clicking a shot loads it and returns to the targets.
Item {
    id: selector
    property int currentSelectedTarget: 0
    property bool showTargets: true
    readonly property int targetCount: targetsModel.count
    readonly property bool onFirstTarget: currentSelectedTarget <= 0
    readonly property bool onLastTarget: currentSelectedTarget >= targetsModel.count - 1

    implicitHeight: props.u60
    implicitWidth: row.implicitWidth

    function selectTarget(index) {
        if (index < 0 || index >= targetsModel.count)
            return
        currentSelectedTarget = index
        peltoQt.selectTarget4Profiling(currentSelectedTarget)
    }
    function previous() {
        if (currentSelectedTarget > 0)
            selectTarget(currentSelectedTarget - 1)
    }
    function next() {
        if (currentSelectedTarget < targetsModel.count - 1)
            selectTarget(currentSelectedTarget + 1)
    }
    function reset() {
        currentSelectedTarget = 0
        showTargets = true
    }

    XmlListModel {
        id: targetsModel
        xml: currentJob.targets === undefined ? "" : currentJob.targets
        query: "/targets/target"
        XmlRole { name: "name"; query: "name/string()" }
        XmlRole { name: "targetIndex"; query: "index/number()" }
        XmlRole { name: "targetIcon"; query: "targetIcon/string()" }
        XmlRole { name: "shotsCount"; query: "shotsCount/number()" }
        XmlRole { name: "current"; query: "@current/string()" }
    }
    XmlListModel {
        id: shotsModel
        xml: currentJob.currentTargetShots === undefined ? "" : currentJob.currentTargetShots
        query: "/shots/shot"
        XmlRole { name: "shotIndex"; query: "index/number()" }
        XmlRole { name: "path"; query: "path/string()" }
        XmlRole { name: "targetIcon"; query: "targetIcon/string()" }
        XmlRole { name: "current"; query: "@current/string()" }
    }

    Row {
        id: row
        anchors.verticalCenter: parent.verticalCenter
        spacing: props.u10

        ProfileIconButton {
            objectName: "previousTarget"
            source: "qrc:/assets/profile/arrow-left.png"
            visible: selector.showTargets && targetsModel.count > 1
            enabled: !selector.onFirstTarget
            anchors.verticalCenter: parent.verticalCenter
            onClicked: selector.previous()
        }

        Repeater {
            model: selector.showTargets ? targetsModel : shotsModel
            delegate: Rectangle {
                id: cell
                readonly property bool isSelected: selector.showTargets ? index === selector.currentSelectedTarget
                                                                        : model.current === "true"
                objectName: (selector.showTargets ? "target" : "shot") + index
                width: props.u80
                height: props.u50
                radius: props.u5
                color: isSelected ? "#fde5d6" : "#f4f4f4"
                border.color: isSelected ? "#e8712c" : "#c8c8c8"
                border.width: isSelected ? 2 : 1

                Image {
                    anchors.fill: parent
                    anchors.margins: props.u5
                    anchors.rightMargin: props.u30
                    source: model.targetIcon
                    fillMode: Image.PreserveAspectFit
                    asynchronous: true
                }
                MouseArea {
                    anchors.fill: parent
                    onClicked: {
                        if (selector.showTargets) {
                            selector.selectTarget(index)
                        } else {
                            peltoQt.loadShot4Profiling(index)
                            selector.showTargets = true
                        }
                    }
                }
                // The target's number; on the current target it opens its shots.
                Rectangle {
                    objectName: (selector.showTargets ? "targetNumber" : "shotNumber") + index
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    anchors.rightMargin: props.u5
                    width: props.u25
                    height: props.u25
                    radius: width / 2
                    color: cell.isSelected ? "#e8712c" : "#8c8f96"
                    Text {
                        anchors.centerIn: parent
                        text: selector.showTargets ? (index + 1) : model.shotIndex
                        color: "white"
                        font.pixelSize: props.FT_14
                        font.bold: true
                    }
                    MouseArea {
                        anchors.fill: parent
                        onClicked: {
                            if (!selector.showTargets) {
                                peltoQt.loadShot4Profiling(index)
                                selector.showTargets = true
                            } else if (index === selector.currentSelectedTarget) {
                                selector.showTargets = false
                            } else {
                                selector.selectTarget(index)
                            }
                        }
                    }
                }
            }
        }

        ProfileIconButton {
            objectName: "nextTarget"
            source: "qrc:/assets/profile/arrow-right.png"
            visible: selector.showTargets && targetsModel.count > 1
            enabled: !selector.onLastTarget
            anchors.verticalCenter: parent.verticalCenter
            onClicked: selector.next()
        }

        Text {
            objectName: "shotsCaption"
            visible: !selector.showTargets
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("Select a shot")
            font.pixelSize: props.FT_14
            color: "#505258"
        }
    }
}
