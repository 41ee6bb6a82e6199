import QtQuick 2.3
import "Theme.js" as Theme

// Shown where a list is empty.
Text {
    id: noMore
    text: qsTr("NO MORE JOBS")
    color: Theme.grey
    font.family: Theme.font
    font.pixelSize: props.FT_24
}
