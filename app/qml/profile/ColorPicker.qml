import QtQuick 2.3
import QtGraphicalEffects 1.0
import CppZoomedArea 1.0

// The colour picker: a round magnifier over the sampled area with the centre
// pixel's colour and its red, green and blue values. Shown while the
// controller's picker is visible, beside the picked point.
Item {
    id: picker
    property real areaWidth: parent ? parent.width : 0
    property real areaHeight: parent ? parent.height : 0
    readonly property real pointX: Number(qaColorPicker.x) || 0
    readonly property real pointY: Number(qaColorPicker.y) || 0
    readonly property int offset: props.u20
    property alias zoomedArea: zoomed

    visible: qaColorPicker.visible === true || qaColorPicker.visible === "true"
    width: props.u180
    height: lens.height + values.height + props.u10
    x: pointX + offset + width > areaWidth ? pointX - offset - width : pointX + offset
    y: Math.max(0, Math.min(areaHeight - height, pointY - lens.height / 2))
    z: 60

    Item {
        id: lens
        width: props.u180
        height: props.u180

        CppZoomedArea {
            id: zoomed
            objectName: "zoomedArea"
            // Painted at its own size; the mask scales it into the lens.
            width: sampleWidth > 0 ? sampleWidth : 256
            height: sampleHeight > 0 ? sampleHeight : 256
            visible: false
        }
        Rectangle {
            id: roundMask
            anchors.fill: parent
            radius: width / 2
            visible: false
        }
        OpacityMask {
            anchors.fill: parent
            source: zoomed
            maskSource: roundMask
        }
        // Marks the centre pixel, scaled like the magnified image.
        Rectangle {
            readonly property real scale: lens.width / Math.max(1, zoomed.sampleWidth)
            x: zoomed.centerPixelx * scale
            y: zoomed.centerPixely * scale
            width: Math.max(2, zoomed.pixelSize * scale)
            height: width
            color: "transparent"
            border.color: "white"
            border.width: 1
        }
        Rectangle {
            anchors.fill: parent
            radius: width / 2
            color: "transparent"
            border.color: "white"
            border.width: props.u5
        }
    }

    Rectangle {
        id: values
        anchors.top: lens.bottom
        anchors.topMargin: props.u10
        width: parent.width
        height: valueColumn.implicitHeight + props.u10
        radius: props.u5
        color: "#f0ffffff"
        Column {
            id: valueColumn
            anchors.centerIn: parent
            Row {
                spacing: props.u5
                Rectangle {
                    width: props.u15
                    height: props.u15
                    anchors.verticalCenter: parent.verticalCenter
                    color: zoomed.pixelColor !== "" ? zoomed.pixelColor : "transparent"
                    border.color: "#8c8f96"
                }
                Text {
                    objectName: "pickerColour"
                    text: zoomed.pixelColor
                    font.pixelSize: props.FT_13
                    font.family: "monospace"
                }
            }
            Text {
                objectName: "pickerRgb"
                text: qsTr("R") + zoomed.pixelRed + "  " + qsTr("G") + zoomed.pixelGreen + "  " + qsTr("B") + zoomed.pixelBlue
                font.pixelSize: props.FT_12
                font.family: "monospace"
            }
        }
    }

    MouseArea {
        objectName: "pickerPanel"
        anchors.fill: parent
        onClicked: peltoQt.toggleColorPicker(true)
    }
}
