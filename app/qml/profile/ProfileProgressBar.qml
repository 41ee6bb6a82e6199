import QtQuick 2.3
import "profilerules.js" as Rules

// A horizontal bar filled to value (0..100, clamped).
Rectangle {
    id: bar
    property real value: 0
    property color barColor: "#e8712c"
    readonly property real shownValue: Rules.clampPercent(value)

    implicitHeight: props.u10
    radius: height / 2
    color: "#dcdcdc"

    Rectangle {
        objectName: "fill"
        height: parent.height
        width: parent.width * bar.shownValue / 100
        radius: parent.radius
        color: bar.barColor
    }
}
