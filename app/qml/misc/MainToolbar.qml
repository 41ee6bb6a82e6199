import QtQuick 2.3
import "Theme.js" as Theme
import "../script.js" as Script

// The window's tool bar: mode toggle, product word, title and view button.
Item {
    id: bar
    property alias title: titleText.text
    property string magState: "PERSPECTIVE"
    state: peltoQt.isIntroEnabled() ? "INTRO" : "NORMAL"
    function reset() {
        state = "INTRO";
    }
    function setMagState(s) {
        magState = s;
    }
    states: [
        State {
            name: "INTRO"
            PropertyChanges { target: titleText; text: " " + qsTr("Introduction") }
            PropertyChanges { target: viewButton; visible: false }
            PropertyChanges { target: modeToggle; visible: false }
        },
        State {
            name: "NORMAL"
        }
    ]
    ProfilingEditingToggle {
        id: modeToggle
        anchors.left: parent.left
        anchors.leftMargin: props.u20
        anchors.verticalCenter: parent.verticalCenter
    }
    Text {
        id: product
        anchors.centerIn: parent
        anchors.horizontalCenterOffset: -titleText.width / 2
        text: "pelto"
        color: Theme.accent
        font.family: Theme.font
        font.weight: Font.Bold
        font.pixelSize: props.FT_24
    }
    Text {
        id: titleText
        objectName: "mainTitle"
        anchors.left: product.right
        anchors.baseline: product.baseline
        text: "  " + qsTr("Select your Job")
        color: Theme.dark
        font.family: Theme.font
        font.weight: Font.Light
        font.pixelSize: props.FT_24
    }
    BigToolButton {
        id: viewButton
        objectName: "viewButton"
        anchors.right: parent.right
        anchors.rightMargin: props.u20
        anchors.verticalCenter: parent.verticalCenter
        width: props.u40
        height: props.u40
        visible: bar.magState !== "INVISIBLE"
        source: bar.magState === "PERSPECTIVE" ? "qrc:/assets/icon-listview.png" : "qrc:/assets/icon-slider.png"
        onClicked: {
            if (bar.magState === "PERSPECTIVE") {
                bar.magState = "SLIDER";
                Script.goJobsSlide();
            } else {
                bar.magState = "PERSPECTIVE";
                Script.goFrontPage(true);
            }
        }
    }
}
