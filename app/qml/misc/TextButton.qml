import QtQuick 2.3
import "Theme.js" as Theme

// A plain text button sized by its text; a disabled button ignores clicks.
Rectangle {
    id: button
    property alias text: label.text
    property color textColor: Theme.accent
    property bool filled: false
    property int padding: props.u20
    signal clicked()
    implicitWidth: label.implicitWidth + 2 * padding
    implicitHeight: props.u40
    width: implicitWidth
    height: implicitHeight
    radius: props.u5
    color: filled ? (area.pressed ? Qt.darker(textColor, 1.2) : textColor) : "transparent"
    border.color: filled ? "transparent" : textColor
    border.width: 1
    opacity: enabled ? 1.0 : 0.35
    Text {
        id: label
        anchors.centerIn: parent
        color: button.filled ? "white" : button.textColor
        font.family: Theme.font
        font.weight: Font.Medium
        font.pixelSize: props.FT_14
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
