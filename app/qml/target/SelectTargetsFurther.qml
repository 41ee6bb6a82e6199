import QtQuick 2.3
import QtQuick.XmlListModel 2.0
import "../misc"
import "../misc/Theme.js" as Theme
import "../script.js" as Script

// What to do after choosing the targets: profile, a new job, or expert mode.
Rectangle {
    id: further
    objectName: "selectTargetsFurther"
    color: Theme.page
    readonly property int count: currentJob.targetCount === undefined ? 0 : currentJob.targetCount
    signal profilingClicked()
    signal newClicked()
    signal expertClicked()
    function show() {
        visible = true;
    }
    MouseArea {
        anchors.fill: parent
    }
    XmlListModel {
        id: chosen
        xml: currentJob.targets === undefined ? "" : currentJob.targets
        query: "/targets/target"
        XmlRole { name: "index"; query: "number(index)" }
        XmlRole { name: "targetIcon"; query: "targetIcon/string()" }
    }
    Column {
        anchors.centerIn: parent
        spacing: props.u30
        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            visible: further.count > 1
            spacing: props.u10
            LabelContent { text: qsTr("You selected") }
            LabelContent { text: further.count; color: Theme.accent }
            LabelContent { text: qsTr("targets for Multitargeting") }
        }
        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: props.u10
            Repeater {
                model: chosen
                Image {
                    width: props.u100
                    height: props.u70
                    fillMode: Image.PreserveAspectFit
                    readonly property int targetIndex: isNaN(model.index) ? 0 : model.index
                    source: Script.targetPictureUrl(currentJob.name, targetIndex, model.targetIcon)
                    onStatusChanged: {
                        if (status !== Image.Error)
                            return;
                        var fromJob = Script.targetIconUrl(currentJob.name, targetIndex);
                        source = String(source) === fromJob ? "qrc:/images/target-empty.png" : fromJob;
                    }
                }
            }
        }
        Row {
            spacing: props.u30
            Repeater {
                model: [[qsTr("Start Profiling"), qsTr("Save Job and go back to the Job Selector to start profiling."), qsTr("PROFILING"), "profiling"],
                        [qsTr("Add New Job"), qsTr("Save current Job and create new one."), qsTr("NEW"), "new"],
                        [qsTr("Expert Mode"), qsTr("Continue to add more parameters and Multi-Targeting."), qsTr("EXPERT"), "expert"]]
                Rectangle {
                    width: props.u300
                    height: props.u220
                    radius: props.u5
                    color: "white"
                    Column {
                        x: props.u20
                        y: props.u20
                        width: parent.width - 2 * props.u20
                        spacing: props.u15
                        LabelContent { text: modelData[0]; font.pixelSize: props.FT_22 }
                        Text {
                            width: parent.width
                            text: modelData[1]
                            wrapMode: Text.WordWrap
                            color: Theme.grey
                            font.family: Theme.font
                            font.pixelSize: props.FT_15
                        }
                    }
                    MainButton {
                        objectName: "further_" + modelData[3]
                        anchors.horizontalCenter: parent.horizontalCenter
                        anchors.bottom: parent.bottom
                        anchors.bottomMargin: props.u20
                        text: modelData[2]
                        onClicked: {
                            if (modelData[3] === "profiling")
                                further.profilingClicked();
                            else if (modelData[3] === "new")
                                further.newClicked();
                            else
                                further.expertClicked();
                        }
                    }
                }
            }
        }
    }
}
