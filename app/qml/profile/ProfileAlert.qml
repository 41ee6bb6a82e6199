import QtQuick 2.3

// A modal panel over its parent: a title, a message and one or two buttons.
// With cancelText empty only the OK button shows.
Rectangle {
    id: alert
    property string title: ""
    property string message: ""
    property string okText: qsTr("OK")
    property string cancelText: ""
    property url picture: "qrc:/assets/profile/owl.png"
    signal ok()
    signal cancel()

    anchors.fill: parent
    color: "#99000000"
    visible: false
    z: 100

    function open() { visible = true }
    function close() { visible = false }

    // Swallows the clicks and hovering meant for the page below.
    MouseArea {
        anchors.fill: parent
        hoverEnabled: true
        acceptedButtons: Qt.AllButtons
        onWheel: wheel.accepted = true
    }

    Rectangle {
        id: panel
        anchors.centerIn: parent
        width: props.u500
        height: Math.max(props.u180, content.implicitHeight + props.u90)
        radius: props.u10
        color: "white"

        Image {

        
                        id: owl
            source: alert.picture
            anchors.left: parent.left
            anchors.top: parent.top
            anchors.margins: props.u20
            width: props.u80
            height: props.u80
            fillMode: Image.PreserveAspectFit
        }

        Column {
            id: content
            anchors.left: owl.right
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.margins: props.u20
            spacing: props.u10
            Text {
                objectName: "alertTitle"
                text: alert.title
                width: parent.width
                wrapMode: Text.Wrap
                font.pixelSize: props.FT_20
                font.bold: true
                color: "#303236"
            }
            Text {
                objectName: "alertMessage"
                text: alert.message
                width: parent.width
                wrapMode: Text.Wrap
                font.pixelSize: props.FT_15
                color: "#505258"
            }
        }

        Row {
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.margins: props.u20
            spacing: props.u10
            ProfileButton {
                objectName: "alertCancel"
                visible: alert.cancelText !== ""
                text: alert.cancelText
                onClicked: alert.cancel()
            }
            ProfileButton {
                objectName: "alertOk"
                primary: true
                text: alert.okText
                onClicked: alert.ok()
            }
        }
    }
}
