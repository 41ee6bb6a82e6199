import QtQuick 2.3
import QtQuick.Dialogs 1.2
import "../misc"
import "../misc/Theme.js" as Theme

// One target template: its facts, the reference file and SELECT.
Rectangle {
    id: element
    property string name
    property string modelName
    property string manufacturer
    property string referenceName
    property string referenceFolder
    property string targetIcon
    property int patches: 0
    property int columns: 0
    property int rows: 0
    property bool selected: false
    signal selectClicked()
    signal deselectClicked()
    signal referenceChosen(string url)
    height: props.u180
    radius: props.u5
    color: "white"
    Image {
        id: icon
        anchors.left: parent.left
        anchors.leftMargin: props.u20
        anchors.verticalCenter: parent.verticalCenter
        width: props.u200
        height: props.u140
        fillMode: Image.PreserveAspectFit
        source: element.targetIcon !== "" ? element.targetIcon : "qrc:/images/target-empty.png"
        onStatusChanged: if (status === Image.Error) source = "qrc:/images/target-empty.png"
    }
    Grid {
        anchors.left: icon.right
        anchors.leftMargin: props.u30
        anchors.verticalCenter: parent.verticalCenter
        columns: 3
        columnSpacing: props.u30
        rowSpacing: props.u15
        Repeater {
            model: [[qsTr("MANUFACTURER"), element.manufacturer], [qsTr("MODEL"), element.modelName],
                    [qsTr("DEFAULT REFERENCE"), element.referenceName], [qsTr("PATCHES"), String(element.patches)],
                    [qsTr("COLUMNS"), String(element.columns)], [qsTr("ROWS"), String(element.rows)]]
            Column {
                width: props.u170
                LabelDesc { text: modelData[0]; width: parent.width }
                LabelContent { text: modelData[1]; width: parent.width }
            }
        }
    }
    Column {
        anchors.right: parent.right
        anchors.rightMargin: props.u20
        anchors.verticalCenter: parent.verticalCenter
        spacing: props.u10
        TextButtonFixed {
            objectName: "selectTarget_" + element.name
            fixedWidth: props.u180
            filled: !element.selected
            text: element.selected ? (hovered ? qsTr("CLICK TO DESELECT") : qsTr("ALREADY SELECTED")) : qsTr("SELECT")
            property bool hovered: false
            onClicked: element.selected ? element.deselectClicked() : element.selectClicked()
            MouseArea {
                anchors.fill: parent
                hoverEnabled: true
                acceptedButtons: Qt.NoButton
                onContainsMouseChanged: parent.hovered = containsMouse
            }
        }
        TextButtonFixed {
            objectName: "reference_" + element.name
            fixedWidth: props.u180
            text: qsTr("REFERENCE FILE")
            onClicked: {
                // The widget dialog is made on its first opening and takes
                // the folder only once it exists.
                referenceDialog.open();
                referenceDialog.folder = element.referenceFolder;
            }
        }
    }
    FileDialog {
        id: referenceDialog
        title: qsTr("Please choose a reference file")
        nameFilters: [qsTr("All files (*)")]
        onAccepted: {
            if (referenceDialog.fileUrls.length > 0)
                element.referenceChosen(String(referenceDialog.fileUrls[0]));
        }
    }
}
