import QtQuick 2.3
import "../misc"
import "../misc/Theme.js" as Theme

// Intro pages 1 to 4: three pictures with a title and a text each.
Rectangle {
    id: introRoot
    objectName: "introPage"
    property int page: 1
    property var titles: ["", "", ""]
    property var texts: ["", "", ""]
    property var pictures: ["", "", ""]
    color: Theme.page
    Row {
        anchors.centerIn: parent
        anchors.verticalCenterOffset: -props.u40
        spacing: props.u40
        Repeater {
            id: repeater
            model: 3
            Column {
                width: props.u320
                spacing: props.u15
                Image {
                    width: parent.width
                    height: width * 2 / 3
                    source: introRoot.pictures[index]
                    fillMode: Image.PreserveAspectFit
                }
                Text {
                    text: introRoot.titles[index]
                    color: Theme.dark
                    font.family: Theme.font
                    font.weight: Font.Medium
                    font.pixelSize: props.FT_22
                }
                Text {
                    width: parent.width
                    text: introRoot.texts[index]
                    color: Theme.grey
                    wrapMode: Text.WordWrap
                    font.family: Theme.font
                    font.pixelSize: props.FT_15
                }
            }
        }
    }
    BottomIntroPage {
        page: introRoot.page
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
    }
}
