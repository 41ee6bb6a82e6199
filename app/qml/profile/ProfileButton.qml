import QtQuick 2.3

// A flat text button of the profiling pages; a disabled one ignores clicks.
Rectangle {
    id: button
    property alias text: label.text
    property bool primary: false
    property alias fontSize: label.font.pixelSize
    signal clicked()

    implicitWidth: Math.max(props.u120, label.implicitWidth + props.u30)
    implicitHeight: props.u35
    radius: props.u5
    opacity: enabled ? 1.0 : 0.4
    color: primary ? (mouse.pressed ? "#c85a1c" : "#e8712c")
                   : (mouse.pressed ? "#d0d0d0" : (mouse.containsMouse ? "#e6e6e6" : "#f4f4f4"))
    border.color: primary ? "transparent" : "#c8c8c8"
    border.width: 1

    Text {
        id: label
        anchors.centerIn: parent
        font.pixelSize: props.FT_14
        font.bold: true
        color: button.primary ? "white" : "#303236"
    }

    MouseArea {
        id: mouse
        anchors.fill: parent
        hoverEnabled: true
        enabled: button.enabled
        onClicked: button.clicked()
    }
}
