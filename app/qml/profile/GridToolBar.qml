import QtQuick 2.3

// The image tools. In state "GRID" all five show; in "QA" the rotations hide.
Rectangle {
    id: bar
    // The object whose action property receives the commands (the image item).
    property var target: null
    state: "GRID"
    color: "white"
    radius: props.u5
    implicitWidth: props.u50
    implicitHeight: tools.implicitHeight + props.u20

    function act(command) {
        if (target)
            target.action = command
    }

    states: [
        State { name: "GRID" },
        State { name: "QA" }
    ]

    Column {
        id: tools
        anchors.centerIn: parent
        spacing: props.u5
        ProfileIconButton {
            objectName: "zoomIn"
            source: "qrc:/assets/profile/zoom-in.png"
            onClicked: bar.act("zoomIn")
        }
        ProfileIconButton {
            objectName: "zoomOut"
            source: "qrc:/assets/profile/zoom-out.png"
            onClicked: bar.act("zoomOut")
        }
        ProfileIconButton {
            id: rotateLeft
            objectName: "rotateLeft"
            source: "qrc:/assets/profile/rotate-left.png"
            visible: bar.state !== "QA"
            onClicked: bar.act("rotateCCW")
        }
        ProfileIconButton {
            id: rotateRight
            objectName: "rotateRight"
            source: "qrc:/assets/profile/rotate-right.png"
            visible: bar.state !== "QA"
            onClicked: bar.act("rotateCW")
        }
        ProfileIconButton {
            objectName: "picker"
            source: "qrc:/assets/profile/picker.png"
            onClicked: bar.act("togglePicker")
        }
    }
}
