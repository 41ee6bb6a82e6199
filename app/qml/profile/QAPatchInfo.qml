import QtQuick 2.3
import "profilerules.js" as Rules

// The hovered patch: reference and profile swatches, the Lab and LCh values
// with their differences, the colour differences and the verdict dots. It
// sits above the patch when the patch lies in the lower half of the area,
// else below it.
Rectangle {
    id: info
    // Height of the area the patch coordinates refer to (the image item).
    property real areaHeight: parent ? parent.height : 0
    property real areaWidth: parent ? parent.width : 0
    readonly property var dots: Rules.dots(qaPatchInfo)
    readonly property real patchX: Rules.toNumber(qaPatchInfo.x)
    readonly property real patchY: Rules.toNumber(qaPatchInfo.y)
    readonly property bool above: patchY > areaHeight / 2
    readonly property int gap: props.u20

    visible: Rules.isTrue(qaPatchInfo.visible)
    width: props.u300
    height: content.implicitHeight + props.u20
    x: Math.max(0, Math.min(areaWidth - width, patchX - width / 2))
    y: above ? patchY - height - gap : patchY + gap
    radius: props.u5
    color: "#f0ffffff"
    border.color: "#c8c8c8"
    z: 50

    Column {
        id: content
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: props.u10
        spacing: props.u5

        Row {
            spacing: props.u10
            Repeater {
                model: [
                    { label: qsTr("Reference"), key: "refColor" },
                    { label: qsTr("Profile"), key: "profColor" }
                ]
                delegate: Column {
                    spacing: props.u5
                    Rectangle {
                        objectName: modelData.key + "Swatch"
                        width: props.u80
                        height: props.u40
                        border.color: "#8c8f96"
                        color: Rules.text(qaPatchInfo[modelData.key]) === "" ? "transparent" : qaPatchInfo[modelData.key]
                    }
                    Text {
                        text: modelData.label
                        font.pixelSize: props.FT_12
                        color: "#505258"
                    }
                }
            }
            Column {
                spacing: props.u5
                Repeater {
                    model: [
                        { name: "lightnessDot", label: qsTr("L"), which: "lightness" },
                        { name: "chromaDot", label: qsTr("C"), which: "chroma" },
                        { name: "overallDot", label: qsTr("ΔE"), which: "overall" }
                    ]
                    delegate: Row {
                        spacing: props.u5
                        visible: info.dots[modelData.which] !== ""
                        Rectangle {
                            objectName: modelData.name
                            readonly property string verdict: info.dots[modelData.which]
                            width: props.u15
                            height: props.u15
                            radius: width / 2
                            color: Rules.dotColor(verdict)
                            border.color: "#505258"
                        }
                        Text {
                            text: modelData.label
                            font.pixelSize: props.FT_12
                            color: "#505258"
                        }
                    }
                }
            }
        }

        Grid {
            columns: 4
            columnSpacing: props.u15
            rowSpacing: 2
            Repeater {
                model: [
                    "", qsTr("Reference"), qsTr("Profile"), qsTr("Δ"),
                    " L:", "refL", "profL", "delL",
                    " a:", "refA", "profA", "delA",
                    " b:", "refB", "profB", "delB",
                    " C:", "refC", "profC", "delC",
                    " H:", "refH", "profH", "delH",
                    "ΔE:", "avgDE", "delE", "maxDE"
                ]
                delegate: Text {
                    readonly property bool isKey: index % 4 !== 0 && index >= 4
                    objectName: isKey ? "value_" + modelData : ""
                    width: index % 4 === 0 ? props.u35 : props.u60
                    horizontalAlignment: index % 4 === 0 ? Text.AlignLeft : Text.AlignRight
                    text: isKey ? Rules.text(qaPatchInfo[modelData]) : modelData
                    font.pixelSize: props.FT_13
                    font.bold: index < 4 || index % 4 === 0
                    color: "#303236"
                }
            }
        }
    }
}
