import QtQuick 2.3
import "Theme.js" as Theme

// The entries of one combo level; an entry with a child list asks its owner
// to open that list.
Rectangle {
    id: popup
    property alias model: list.model
    property int rowHeight: props.u30
    signal picked(string label, string value, string childList)
    width: props.u250
    height: Math.min(list.count, 8) * rowHeight + 2
    color: "white"
    border.color: Theme.line
    z: 200
    ListView {
        id: list
        anchors.fill: parent
        anchors.margins: 1
        clip: true
        delegate: Rectangle {
            objectName: "popupEntry_" + model.value
            width: list.width
            height: popup.rowHeight
            color: entryArea.containsMouse ? Theme.light : "white"
            Text {
                anchors.verticalCenter: parent.verticalCenter
                x: props.u10
                text: model.label + (model.list !== "" ? "  ›" : "")
                color: Theme.dark
                font.family: Theme.font
                font.pixelSize: props.FT_14
            }
            MouseArea {
                id: entryArea
                anchors.fill: parent
                hoverEnabled: true
                onClicked: popup.picked(model.label, model.value, model.list)
            }
        }
    }
}
