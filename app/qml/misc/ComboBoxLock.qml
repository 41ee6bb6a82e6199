import QtQuick 2.3
import "Theme.js" as Theme
import "../script.js" as Script

// A labelled combo of an expert setting with its lock and an information tip.
// dataProvider names a list of the script; dynamicDataProvider is a
// "|"-separated text.
Item {
    id: combo
    property string dataProvider: ""
    property string dynamicDataProvider: ""
    property string list: dataProvider
    property string currentValue: ""
    property string displayText: Script.getLabelFromValue(dataProvider, currentValue)
    property bool showLock: true
    property alias lockState: lock.lockState
    property string lockTipTitle: qsTr("Parameter is locked")
    property string lockTipMessage: qsTr("The parameter won't be changeable during the job procedure.")
    // Filled by the script.
    property ListModel listModel: ListModel {}
    property ListModel childModel: ListModel {}
    property int listOffset: 1
    property int longest: 4
    property string defaultValue: ""
    property string title: ""
    property string infoTitle: ""
    property string info: ""
    signal valueChosen(string value)
    signal lockChanged(bool locked)
    width: props.u300
    height: props.u70
    function load() {
        if (dynamicDataProvider !== "")
            Script.initDynamicListModel(dynamicDataProvider, combo);
        else
            Script.initStaticListModel(combo);
    }
    onDataProviderChanged: load()
    onDynamicDataProviderChanged: load()
    Component.onCompleted: load()
    Row {
        id: header
        spacing: props.u5
        LabelDesc {
            text: combo.title
        }
        Image {
            visible: combo.info !== ""
            source: "qrc:/assets/icon-info.png"
            width: props.u15
            height: width
            MouseArea {
                anchors.fill: parent
                hoverEnabled: true
                onEntered: infoTip.show()
            }
        }
    }
    Rectangle {
        id: box
        objectName: "comboBox_" + combo.dataProvider
        anchors.top: header.bottom
        anchors.topMargin: props.u5
        width: combo.width - (combo.showLock ? props.u40 : 0)
        height: props.u35
        radius: props.u5
        border.color: Theme.line
        color: lock.lockState === "UNLOCKED" ? "white" : Theme.light
        Text {
            anchors.verticalCenter: parent.verticalCenter
            x: props.u10
            width: parent.width - props.u30
            text: combo.displayText
            color: Theme.dark
            elide: Text.ElideRight
            font.family: Theme.font
            font.pixelSize: props.FT_16
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            anchors.right: parent.right
            anchors.rightMargin: props.u10
            text: "▾"
            color: Theme.grey
            font.pixelSize: props.FT_16
        }
        MouseArea {
            anchors.fill: parent
            cursorShape: Qt.PointingHandCursor
            onClicked: {
                child.visible = false;
                first.visible = !first.visible;
            }
        }
    }
    LockToggle {
        id: lock
        visible: combo.showLock
        anchors.right: parent.right
        anchors.verticalCenter: box.verticalCenter
        tipTitle: combo.lockTipTitle
        tipMessage: combo.lockTipMessage
        onLockChanged: combo.lockChanged(locked)
    }
    PopupListView {
        id: first
        visible: false
        anchors.top: box.bottom
        width: box.width
        model: combo.listModel
        onPicked: {
            if (childList !== "") {
                var list = Script.comboList(childList);
                combo.childModel.clear();
                for (var i = 0; list !== null && i < list.entries.length; ++i)
                    combo.childModel.append(list.entries[i]);
                child.visible = true;
                return;
            }
            first.visible = false;
            combo.currentValue = value;
            combo.valueChosen(value);
        }
    }
    PopupListView {
        id: child
        visible: false
        anchors.top: box.bottom
        anchors.left: first.right
        width: box.width * 0.7
        model: combo.childModel
        onPicked: {
            child.visible = false;
            first.visible = false;
            combo.currentValue = value;
            combo.valueChosen(value);
        }
    }
    ToolTip {
        id: infoTip
        title: combo.infoTitle
        message: combo.info
        y: header.height
    }
}
