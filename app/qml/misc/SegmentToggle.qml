import QtQuick 2.3
import "Theme.js" as Theme

// Two or more text segments, one of them chosen.
Row {
    id: toggle
    property var labels: []
    property var names: []
    property var shown: []
    property string current: names.length > 0 ? names[0] : ""
    signal chosen(string name)
    spacing: 0
    height: props.u30
    Repeater {
        model: toggle.labels.length
        Rectangle {
            objectName: "segment_" + toggle.names[index]
            visible: toggle.shown.length === 0 || toggle.shown[index] === true
            width: segText.implicitWidth + 2 * props.u15
            height: toggle.height
            color: toggle.current === toggle.names[index] ? Theme.accent : "transparent"
            border.color: Theme.accent
            border.width: 1
            Text {
                id: segText
                anchors.centerIn: parent
                text: toggle.labels[index]
                color: toggle.current === toggle.names[index] ? "white" : Theme.accent
                font.family: Theme.font
                font.weight: Font.Medium
                font.pixelSize: props.FT_13
            }
            MouseArea {
                anchors.fill: parent
                cursorShape: Qt.PointingHandCursor
                onClicked: {
                    toggle.current = toggle.names[index];
                    toggle.chosen(toggle.names[index]);
                }
            }
        }
    }
}
