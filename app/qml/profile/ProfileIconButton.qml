import QtQuick 2.3

// A square button that shows one of the pictures of qrc:/assets/profile/.
Rectangle {
    id: button
    property alias source: icon.source
    property string toolTip: ""
    signal clicked()

    implicitWidth: props.u40
    implicitHeight: props.u40
    radius: props.u5
    opacity: enabled ? 1.0 : 0.4
    color: mouse.pressed ? "#d0d0d0" : (mouse.containsMouse ? "#e9e9e9" : "transparent")

    Image {

    
                id: icon
        anchors.centerIn: parent
        width: parent.width * 0.7
        height: parent.height * 0.7
        fillMode: Image.PreserveAspectFit
        smooth: true
        mipmap: true
    }

    MouseArea {
        id: mouse
        anchors.fill: parent
        hoverEnabled: true
        enabled: button.enabled
        onClicked: button.clicked()
    }
}
