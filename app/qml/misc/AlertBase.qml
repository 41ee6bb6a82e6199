import QtQuick 2.3
import "Theme.js" as Theme

// A modal panel over the whole window: title, message, an optional picture
// and the information icon; the derived alerts add their buttons.
Rectangle {
    id: alert
    property string title: ""
    property string message: ""
    property url picture: ""
    property bool showInfoIcon: true
    default property alias buttons: buttonRow.data
    property alias content: extra.data
    signal opened()
    signal closed()
    anchors.fill: parent
    color: Qt.rgba(0, 0, 0, 0.45)
    visible: false
    z: 100
    function show() {
        visible = true;
        opened();
    }
    function close() {
        visible = false;
        closed();
    }
    MouseArea {
        anchors.fill: parent
        hoverEnabled: true
        onWheel: wheel.accepted = true
    }
    Rectangle {
        id: panel
        objectName: "alertPanel"
        anchors.centerIn: parent
        width: props.u500
        height: body.height + 2 * props.u30
        radius: props.u5
        color: "white"
        Column {
            id: body
            x: props.u30
            y: props.u30
            width: parent.width - 2 * props.u30
            spacing: props.u20
            Row {
                spacing: props.u10
                width: parent.width
                Image {
                    visible: alert.showInfoIcon
                    source: "qrc:/assets/icon-info.png"
                    width: props.u25
                    height: width
                }
                Text {
                    width: parent.width - props.u40
                    text: alert.title
                    color: Theme.dark
                    font.family: Theme.font
                    font.weight: Font.Bold
                    font.pixelSize: props.FT_20
                    wrapMode: Text.WordWrap
                }
            }
            Image {
                visible: alert.picture.toString() !== ""
                source: alert.picture
                anchors.horizontalCenter: parent.horizontalCenter
                width: props.u100
                height: width
            }
            Text {
                objectName: "alertMessage"
                width: parent.width
                visible: text !== ""
                text: alert.message
                color: Theme.dark
                font.family: Theme.font
                font.pixelSize: props.FT_16
                wrapMode: Text.WordWrap
            }
            Item {
                id: extra
                width: parent.width
                height: childrenRect.height
                visible: children.length > 0
            }
            Row {
                id: buttonRow
                anchors.right: parent.right
                spacing: props.u10
            }
        }
    }
}
