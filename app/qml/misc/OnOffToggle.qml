import QtQuick 2.3
import "Theme.js" as Theme

// ENABLED or DISABLED; a click flips it and reports the new state.
Rectangle {
    id: toggle
    property string toggleState: "ENABLED"
    signal toggled(string state)
    width: props.u50
    height: props.u25
    radius: height / 2
    color: toggleState === "ENABLED" ? Theme.accent : Theme.grey
    Behavior on color {
        ColorAnimation { duration: 200 }
    }
    Rectangle {
        width: parent.height - 4
        height: width
        radius: width / 2
        y: 2
        x: toggle.toggleState === "ENABLED" ? toggle.width - width - 2 : 2
        color: "white"
        Behavior on x {
            NumberAnimation { duration: 200 }
        }
    }
    MouseArea {
        anchors.fill: parent
        cursorShape: Qt.PointingHandCursor
        onClicked: {
            toggle.toggleState = toggle.toggleState === "ENABLED" ? "DISABLED" : "ENABLED";
            toggle.toggled(toggle.toggleState);
        }
    }
}
