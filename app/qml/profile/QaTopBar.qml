import QtQuick 2.3
import QtQuick.Controls 1.2
import QtQuick.Controls.Styles 1.2
import "profilerules.js" as Rules

// Top bar of the quality-control page: the selector, the colour difference at
// the slider's position, the slider and the statistics line.
Rectangle {
    id: bar
    // The image item.
    property var target: null
    property alias selector: selector
    property alias slider: slider
    color: "white"
    implicitHeight: props.u70

    // Takes the slider position from the item when the page opens.
    function init() {
        var v = target ? Number(target.qaSliderValue) : 0.5
        slider.value = isNaN(v) ? 0.5 : v
    }

    TargetsAndShotsSelector {
        id: selector
        objectName: "qaSelector"
        anchors.left: parent.left
        anchors.leftMargin: props.u20
        anchors.verticalCenter: parent.verticalCenter
    }

    Row {
        anchors.centerIn: parent
        spacing: props.u10
        Text {
            objectName: "deltaLabel"
            anchors.verticalCenter: parent.verticalCenter
            text: bar.target && Rules.text(bar.target.deltaLabel) !== "" ? bar.target.deltaLabel : qsTr("E-94:")
            font.pixelSize: props.FT_16
            font.bold: true
            color: "#303236"
        }
        Text {
            objectName: "deltaValue"
            anchors.verticalCenter: parent.verticalCenter
            width: props.u50
            text: bar.target ? Rules.text(bar.target.deltaEValue) : ""
            font.pixelSize: props.FT_16
            color: "#303236"
        }
        Slider {
            id: slider
            objectName: "qaSlider"
            anchors.verticalCenter: parent.verticalCenter
            width: props.u250
            minimumValue: 0
            maximumValue: 1
            value: 0.5
            onValueChanged: {
                if (bar.target && Number(bar.target.qaSliderValue) !== value)
                    bar.target.qaSliderValue = value
            }
            style: SliderStyle {
                groove: Rectangle {
                    implicitHeight: props.u5
                    radius: height / 2
                    color: "#dcdcdc"
                }
                handle: Rectangle {
                    implicitWidth: props.u20
                    implicitHeight: props.u20
                    radius: width / 2
                    color: control.pressed ? "#c85a1c" : "#e8712c"
                }
            }
        }
    }

    Text {
        objectName: "deltaStatistics"
        anchors.right: parent.right
        anchors.rightMargin: props.u20
        anchors.verticalCenter: parent.verticalCenter
        horizontalAlignment: Text.AlignRight
        text: bar.target ? Rules.text(bar.target.deltaEStatistics) : ""
        font.pixelSize: props.FT_14
        font.bold: true
        color: bar.target && bar.target.deltaEIsGood ? "#3cb44b" : "#e03c31"
    }

    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: 1
        color: "#dcdcdc"
    }
}
