import QtQuick 2.3
import "Theme.js" as Theme

// A bar filled to value (0-100).
Rectangle {
    id: bar
    property real value: 0
    property color barColor: Theme.accent
    height: props.u5
    radius: height / 2
    color: Theme.line
    Rectangle {
        height: parent.height
        radius: parent.radius
        width: parent.width * Math.max(0, Math.min(100, bar.value)) / 100
        color: bar.barColor
    }
}
