import QtQuick 2.3

// Top bar of the grid page: the target and shot selector.
Rectangle {
    id: bar
    property alias selector: selector
    color: "white"
    implicitHeight: props.u70

    Text {
        anchors.left: parent.left
        anchors.leftMargin: props.u20
        anchors.verticalCenter: parent.verticalCenter
        text: qsTr("TARGETS")
        font.pixelSize: props.FT_14
        font.bold: true
        color: "#8c8f96"
    }

    TargetsAndShotsSelector {
        id: selector
        objectName: "gridSelector"
        anchors.centerIn: parent
    }

    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: 1
        color: "#dcdcdc"
    }
}
