import QtQuick 2.3
import "Theme.js" as Theme

// A title and a message in a bubble with a pointer above or below; fades out
// after timeout milliseconds.
Item {
    id: tip
    property string title
    property string message
    property bool pointerBelow: false
    property int timeout: 2000
    width: props.u300
    height: bubble.height + pointer.height
    opacity: 0
    visible: opacity > 0
    z: 300
    function show() {
        opacity = 1.0;
        timer.restart();
    }
    function hide() {
        opacity = 0;
    }
    Behavior on opacity {
        NumberAnimation { duration: 300 }
    }
    Timer {
        id: timer
        interval: tip.timeout
        onTriggered: tip.hide()
    }
    Rectangle {
        id: pointer
        width: props.u15
        height: props.u15
        rotation: 45
        color: Theme.dark
        x: props.u20
        y: tip.pointerBelow ? bubble.height - height / 2 : 0
    }
    Rectangle {
        id: bubble
        y: tip.pointerBelow ? 0 : pointer.height / 2
        width: parent.width
        height: texts.height + 2 * props.u10
        radius: props.u5
        color: Theme.dark
        Column {
            id: texts
            x: props.u10
            y: props.u10
            width: parent.width - 2 * props.u10
            spacing: props.u5
            Text {
                width: parent.width
                text: tip.title
                color: "white"
                font.family: Theme.font
                font.weight: Font.Bold
                font.pixelSize: props.FT_14
                wrapMode: Text.WordWrap
            }
            Text {
                width: parent.width
                text: tip.message
                color: "white"
                font.family: Theme.font
                font.pixelSize: props.FT_13
                wrapMode: Text.WordWrap
            }
        }
    }
}
