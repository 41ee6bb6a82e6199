import QtQuick 2.3
import "../misc/Theme.js" as Theme
import "../script.js" as Script

// Five dots: the intro pages 0 to 4.
Row {
    id: selector
    property int page: 0
    spacing: props.u10
    Repeater {
        model: 5
        Rectangle {
            objectName: "introDot" + index
            width: props.u15
            height: width
            radius: width / 2
            color: index === selector.page ? Theme.accent : Theme.line
            MouseArea {
                anchors.fill: parent
                cursorShape: Qt.PointingHandCursor
                onClicked: Script.goIntroPage(index)
            }
        }
    }
}
