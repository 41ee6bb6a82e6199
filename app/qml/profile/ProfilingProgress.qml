import QtQuick 2.3
import "../script.js" as Script
import "profilerules.js" as Rules

// The progress of a profiling run: three bars, the percentage and CANCEL.
Item {
    id: progressPage
    // What receives "cancelProfiling" in its action (the grid page's image item).
    property var clientTarget: null
    readonly property real progress: Rules.toNumber(currentJob.progressValue)
    visible: false

    function show(target) {
        if (target !== undefined)
            clientTarget = target
        visible = true
    }
    function hide() {
        visible = false
    }

    Rectangle {
        anchors.fill: parent
        color: "#e9e9eb"
    }

    Column {
        anchors.centerIn: parent
        spacing: props.u20
        width: props.u600

        Image {

        
                        anchors.horizontalCenter: parent.horizontalCenter
            source: "qrc:/assets/profile/owl.png"
            width: props.u150
            height: props.u150
            fillMode: Image.PreserveAspectFit
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Creating Profile")
            font.pixelSize: props.FT_24
            font.bold: true
            color: "#303236"
        }
        Row {
            spacing: props.u10
            anchors.horizontalCenter: parent.horizontalCenter
            Repeater {
                model: 3
                ProfileProgressBar {
                    objectName: "progressBar" + index
                    width: (props.u600 - 2 * props.u10) / 3
                    value: Rules.progressBar(index, progressPage.progress)
                }
            }
        }
        Text {
            objectName: "progressText"
            anchors.horizontalCenter: parent.horizontalCenter
            text: Math.floor(progressPage.progress) + qsTr("% ") + qsTr("complete")
            font.pixelSize: props.FT_18
            color: "#505258"
        }
        ProfileButton {
            objectName: "cancelProfiling"
            anchors.horizontalCenter: parent.horizontalCenter
            visible: progressPage.progress < 99
            text: qsTr("CANCEL")
            onClicked: {
                if (progressPage.clientTarget)
                    progressPage.clientTarget.action = "cancelProfiling"
            }
        }
    }

    // Warning and critical (the run failed or was cancelled) go back to the
    // grid; information (the profile was made) opens quality control.
    JobAlerts {
        objectName: "progressAlerts"
        active: progressPage.visible
        onWarningClosed: Script.goProfiling(false)
        onCriticalClosed: Script.goProfiling(false)
        onInformationClosed: Script.goProfiling(true)
    }
}
