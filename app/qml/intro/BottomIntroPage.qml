import QtQuick 2.3
import "../misc"
import "../script.js" as Script

Rectangle {
    property int page: 1
    color: "white"
    height: props.u80
    TextButton {
        objectName: "dontShowIntro"
        anchors.left: parent.left
        anchors.leftMargin: props.u30
        anchors.verticalCenter: parent.verticalCenter
        text: qsTr("Don´t show intro again")
        onClicked: mainRect.setShowIntro(false)
    }
    PageSelector {
        anchors.centerIn: parent
        page: parent.page
    }
    Row {
        anchors.right: parent.right
        anchors.rightMargin: props.u30
        anchors.verticalCenter: parent.verticalCenter
        spacing: props.u10
        TextButton {
            objectName: "introBack"
            text: qsTr("Back")
            onClicked: Script.goIntroPage(page - 1)
        }
        TextButton {
            objectName: "introNext"
            text: page === 4 ? qsTr("Start profiling") : qsTr("Next")
            filled: true
            onClicked: {
                if (page === 4)
                    Script.goFrontPage(true);
                else
                    Script.goIntroPage(page + 1);
            }
        }
    }
}
