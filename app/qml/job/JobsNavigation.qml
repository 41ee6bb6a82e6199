import QtQuick 2.3
import "../misc"
import "../misc/Theme.js" as Theme
import "../script.js" as Script

// A strip of at most four jobs with arrows at both ends; the window of the
// strip follows the selected job.
Item {
    id: strip
    property var jobsModel
    property int currentIndex: 0
    property int first: 0
    readonly property int count: jobsModel ? jobsModel.count : 0
    readonly property int shown: 4
    signal picked(int index)
    height: props.u70
    function follow(index) {
        currentIndex = index;
        if (index < first || index >= first + shown)
            first = index;
        first = Math.max(0, Math.min(first, count - shown));
    }
    BigToolButton {
        objectName: "navPrevious"
        anchors.left: parent.left
        anchors.verticalCenter: parent.verticalCenter
        source: "qrc:/images/arrow-left.png"
        enabled: strip.currentIndex > 0
        onClicked: strip.picked(strip.currentIndex - 1)
    }
    Row {
        anchors.centerIn: parent
        spacing: props.u10
        Repeater {
            model: strip.jobsModel
            Rectangle {
                objectName: "navJob" + index
                visible: index >= strip.first && index < strip.first + strip.shown
                width: props.u200
                height: props.u50
                radius: props.u5
                color: index === strip.currentIndex ? Theme.accent : "white"
                Text {
                    anchors.centerIn: parent
                    width: parent.width - props.u20
                    horizontalAlignment: Text.AlignHCenter
                    elide: Text.ElideRight
                    text: jobName
                    color: index === strip.currentIndex ? "white" : Theme.dark
                    font.family: Theme.font
                    font.pixelSize: props.FT_14
                }
                MouseArea {
                    anchors.fill: parent
                    cursorShape: Qt.PointingHandCursor
                    onClicked: strip.picked(index)
                }
            }
        }
    }
    BigToolButton {
        objectName: "navNext"
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        source: "qrc:/images/arrow-right.png"
        enabled: strip.currentIndex < strip.count - 1
        onClicked: strip.picked(strip.currentIndex + 1)
    }
}
