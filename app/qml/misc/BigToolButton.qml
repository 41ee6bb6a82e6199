import QtQuick 2.3
import "Theme.js" as Theme

// A square button with an icon and an optional caption below.
Item {
    id: button
    property alias source: icon.source
    property alias text: caption.text
    property bool dark: false
    signal clicked()
    width: props.u50
    height: props.u50
    opacity: enabled ? 1.0 : 0.35
    Rectangle {
        anchors.fill: parent
        radius: props.u5
        color: area.pressed ? Qt.rgba(0, 0, 0, 0.25) : (area.containsMouse ? Qt.rgba(0, 0, 0, 0.12) : "transparent")
    }
    Image {
        id: icon
        anchors.centerIn: parent
        width: parent.width * 0.6
        height: width
        fillMode: Image.PreserveAspectFit
        smooth: true
    }
    Text {
        id: caption
        anchors.top: parent.bottom
        anchors.horizontalCenter: parent.horizontalCenter
        color: button.dark ? "white" : Theme.dark
        font.family: Theme.font
        font.pixelSize: props.FT_12
    }
    MouseArea {
        id: area
        anchors.fill: parent
        enabled: button.enabled
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: button.clicked()
    }
}
