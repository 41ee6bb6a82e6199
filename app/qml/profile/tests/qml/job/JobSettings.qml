import QtQuick 2.3

// Stand-in for the job settings page.
Rectangle {
    id: settings
    property bool processMode: false
    signal saveRequested()
    color: "#fafafa"
    function show() { peltoQt.record("JobSettings.show(" + processMode + ")") }
    Text {
        anchors.centerIn: parent
        text: "JOB SETTINGS"
        font.pixelSize: 24
    }
    Rectangle {
        objectName: "jobSettingsBack"
        width: 120
        height: 40
        color: "#dddddd"
        Text { anchors.centerIn: parent; text: "BACK" }
        MouseArea { anchors.fill: parent; onClicked: settings.visible = false }
    }
    Rectangle {
        objectName: "jobSettingsSave"
        anchors.right: parent.right
        width: 120
        height: 40
        color: "#dddddd"
        Text { anchors.centerIn: parent; text: "SAVE JOB" }
        MouseArea { anchors.fill: parent; onClicked: settings.saveRequested() }
    }
}
