import QtQuick 2.3
import "../misc"
import "../script.js" as Script

// The job manager's bottom bar: the sort toggle and NEW.
Rectangle {
    id: bar
    property alias sortToggle: sortToggle
    color: "white"
    height: props.u70
    SortToggle {
        id: sortToggle
        anchors.left: parent.left
        anchors.leftMargin: props.u30
        anchors.verticalCenter: parent.verticalCenter
    }
    MainButton {
        objectName: "newJob"
        anchors.right: parent.right
        anchors.rightMargin: props.u30
        anchors.verticalCenter: parent.verticalCenter
        text: qsTr("NEW")
        onClicked: {
            Script.selectJob("New Job", "new job", true);
            Script.goSelectTargets();
        }
    }
}
