import QtQuick 2.3
import "../misc"
import "../misc/Theme.js" as Theme

// The expert page: the set bar, the settings by tab and the custom information.
Rectangle {
    id: settings
    objectName: "jobSettings"
    property bool processMode: false
    property string backText: qsTr("BACK")
    signal back()
    signal saveRequested()
    color: Theme.page
    function show() {
        setBar.showInfo = false;
        setBar.init(currentJob.expertSetName);
        expertMode.init();
        visible = true;
    }
    function hide() {
        visible = false;
    }
    MouseArea {
        anchors.fill: parent
    }
    ExpertModeBar {
        id: setBar
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
    }
    JobExpertMode {
        id: expertMode
        visible: !setBar.showInfo
        processMode: settings.processMode
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: setBar.bottom
        anchors.bottom: bottomBar.top
        anchors.margins: props.u20
        onSettingChanged: setBar.markModified()
    }
    JobExpertAddInfo {
        visible: setBar.showInfo
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: setBar.bottom
        anchors.bottom: bottomBar.top
        anchors.margins: props.u20
    }
    Rectangle {
        id: bottomBar
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: props.u70
        color: "white"
        TextButton {
            objectName: "settingsBack"
            anchors.left: parent.left
            anchors.leftMargin: props.u30
            anchors.verticalCenter: parent.verticalCenter
            text: settings.backText
            onClicked: {
                settings.hide();
                settings.back();
            }
        }
        MainButton {
            objectName: "settingsSaveJob"
            anchors.right: parent.right
            anchors.rightMargin: props.u30
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("SAVE JOB")
            onClicked: settings.saveRequested()
        }
    }
}
