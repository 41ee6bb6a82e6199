import QtQuick 2.3
import "../misc"
import "../misc/Theme.js" as Theme
import "../script.js" as Script

// Intro page 0: the welcome.
Rectangle {
    id: intro1Root
    objectName: "intro1"
    color: Theme.page
    Column {
        anchors.centerIn: parent
        anchors.verticalCenterOffset: -props.u40
        spacing: props.u15
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Welcome")
            color: Theme.accent
            font.family: Theme.font
            font.weight: Font.Light
            font.pixelSize: props.FT_60
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("to the new pelto")
            color: Theme.dark
            font.family: Theme.font
            font.pixelSize: props.FT_30
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("the most accurate proofing software")
            color: Theme.grey
            font.family: Theme.font
            font.pixelSize: props.FT_20
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Version 5.0")
            color: Theme.grey
            font.family: Theme.font
            font.pixelSize: props.FT_14
        }
        Item { width: 1; height: props.u20 }
        MainButton {
            objectName: "startTour"
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Start tour")
            onClicked: Script.goIntroPage(1)
        }
    }
    BottomIntro1 {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
    }
}
