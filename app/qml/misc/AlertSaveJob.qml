import QtQuick 2.3
import QtQuick.Controls 1.2
import "Theme.js" as Theme
import "../script.js" as Script

// The name dialog of job saving. saveOnly: the DCP/C1 toggle with CANCEL and
// SAVE; otherwise CANCEL, START PROFILING and ADD NEW JOB.
AlertBase {
    id: alert
    property bool saveOnly: false
    property bool simplestSave: false
    property bool startProfiling: false
    property alias name: field.text
    readonly property bool nameValid: Script.isValidName(field.text)
    signal okClicked()
    signal saveAndStartClicked()
    signal saveAndNewClicked()
    signal cancelClicked()
    title: qsTr("TYPE JOBNAME TO SAVE")
    function show() {
        Script.setMainTitle("  " + qsTr("Save Job"), true);
        visible = true;
        field.selectAll();
        field.forceActiveFocus();
    }
    function showWithName(name) {
        field.text = name;
        show();
    }
    function cancel() {
        close();
        Script.resetMainTitle();
        cancelClicked();
    }
    content: Column {
        width: parent.width
        spacing: props.u15
        TextField {
            id: field
            objectName: "jobNameField"
            width: parent.width
            font.family: Theme.font
            font.pixelSize: props.FT_16
            validator: RegExpValidator { regExp: /[^\\\/:*?"<>|]*/ }
        }
        DcpC1Toggle {
            visible: alert.saveOnly
        }
    }
    TextButton {
        objectName: "saveJobCancel"
        text: qsTr("CANCEL")
        onClicked: alert.cancel()
    }
    TextButton {
        objectName: "saveJobSave"
        visible: alert.saveOnly
        text: qsTr("SAVE")
        filled: true
        enabled: alert.nameValid
        onClicked: {
            alert.close();
            if (alert.simplestSave)
                alert.okClicked();
            else if (alert.startProfiling)
                alert.saveAndStartClicked();
            else
                alert.saveAndNewClicked();
        }
    }
    TextButton {
        objectName: "saveJobStart"
        visible: !alert.saveOnly
        text: qsTr("START PROFILING")
        enabled: alert.nameValid
        onClicked: {
            alert.close();
            alert.saveAndStartClicked();
        }
    }
    TextButton {
        objectName: "saveJobNew"
        visible: !alert.saveOnly
        text: qsTr("ADD NEW JOB")
        filled: true
        enabled: alert.nameValid
        onClicked: {
            alert.close();
            alert.saveAndNewClicked();
        }
    }
}
