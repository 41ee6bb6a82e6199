import QtQuick 2.3
import "../misc"
import "../misc/Theme.js" as Theme
import "../script.js" as Script

Rectangle {
    color: "white"
    height: props.u80
    TextButton {
        objectName: "openManual"
        anchors.left: parent.left
        anchors.leftMargin: props.u30
        anchors.verticalCenter: parent.verticalCenter
        text: qsTr("OPEN PDF MANUAL")
        onClicked: peltoQt.openPDFManual()
    }
    PageSelector {
        anchors.centerIn: parent
        page: 0
    }
    TextButton {
        objectName: "skipIntro"
        anchors.right: parent.right
        anchors.rightMargin: props.u30
        anchors.verticalCenter: parent.verticalCenter
        text: qsTr("Skip and start profiling")
        filled: true
        onClicked: Script.goFrontPage(true)
    }
}
