import QtQuick 2.3
import QtQuick.Controls 1.2
import "../misc"
import "../misc/Theme.js" as Theme
import "../script.js" as Script

// The set bar of the job settings: choose, save, duplicate and delete sets.
Rectangle {
    id: bar
    objectName: "expertModeBar"
    property string setName: ""
    property bool modified: false
    property bool showInfo: false
    readonly property bool setSelected: setName !== ""
    color: "white"
    height: props.u70
    function init(name) {
        setName = name === undefined ? "" : name;
        modified = false;
        field.text = setName;
        var names = allSets.list === undefined || allSets.list === "" ? [] : String(allSets.list).split("|");
        setsCombo.currentIndex = names.indexOf(setName);
    }
    function markModified() {
        if (setName === "")
            return;
        modified = true;
        field.text = setName + " (*)";
        // The settings are no longer the set's: choosing it again applies it.
        setsCombo.currentIndex = -1;
    }
    function plainSetName() {
        var text = field.text;
        return text.length > 4 && text.substr(text.length - 4) === " (*)" ? text.substr(0, text.length - 4) : text;
    }
    function saveSet(name) {
        if (peltoQt.doesSetExist(name)) {
            existsAlert.pending = name;
            existsAlert.show();
            return;
        }
        writeSet(name);
    }
    function writeSet(name) {
        if (peltoQt.saveSet(name) === false) {
            alertGeneric.title = qsTr("Cannot Save Set");
            alertGeneric.message = qsTr("The set could not be written.");
            alertGeneric.show();
            return;
        }
        init(name);
    }
    Row {
        anchors.left: parent.left
        anchors.leftMargin: props.u30
        anchors.verticalCenter: parent.verticalCenter
        spacing: props.u15
        ComboBox {
            id: setsCombo
            objectName: "setsCombo"
            width: props.u200
            anchors.verticalCenter: parent.verticalCenter
            model: allSets.list === undefined || allSets.list === "" ? [] : String(allSets.list).split("|")
            currentIndex: -1
            onActivated: {
                var name = model[index];
                var refusal = peltoQt.applySet(name);
                if (refusal !== "") {
                    // The job keeps its settings: so does the bar.
                    currentIndex = model.indexOf(bar.setName);
                    alertGeneric.title = qsTr("Cannot Apply Set");
                    alertGeneric.message = refusal;
                    alertGeneric.show();
                    return;
                }
                bar.init(name);
            }
        }
        TextField {
            id: field
            objectName: "setNameField"
            width: props.u250
            anchors.verticalCenter: parent.verticalCenter
            placeholderText: qsTr("Type for new or load other set")
            font.family: Theme.font
            font.pixelSize: props.FT_15
            validator: RegExpValidator { regExp: /[^\\\/:*?"<>|]*/ }
            onActiveFocusChanged: if (activeFocus && bar.setName === "") text = ""
        }
        BigToolButton {
            objectName: "setSave"
            anchors.verticalCenter: parent.verticalCenter
            source: "qrc:/images/tool-save.png"
            onClicked: {
                var name = bar.plainSetName();
                saveAlert.showWithName(name === "" ? "MY SET" : name);
            }
        }
        TextButton {
            objectName: "setDuplicate"
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("DUPLICATE")
            enabled: bar.setSelected
            onClicked: duplicateAlert.showWithName(bar.setName + " " + qsTr("Copy"))
        }
        TextButton {
            objectName: "setDelete"
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("DELETE")
            enabled: bar.setSelected
            onClicked: deleteAlert.show()
        }
    }
    TextButton {
        objectName: "settingsInfoSwitch"
        anchors.right: parent.right
        anchors.rightMargin: props.u30
        anchors.verticalCenter: parent.verticalCenter
        text: bar.showInfo ? qsTr("SETTINGS") : qsTr("ADD INFO")
        onClicked: bar.showInfo = !bar.showInfo
    }
    AlertSaveSet {
        id: saveAlert
        objectName: "alertSaveSet"
        parent: bar.parent
        onOkClicked: bar.saveSet(name)
    }
    AlertOKCancel {
        id: existsAlert
        objectName: "alertSetExists"
        parent: bar.parent
        property string pending: ""
        title: qsTr("SAVE SET")
        message: qsTr("A set with the same name already exists!")
        cancelText: qsTr("RENAME")
        okText: qsTr("OVERWRITE")
        onCancelClicked: saveAlert.showWithName(pending)
        onOkClicked: bar.writeSet(pending)
    }
    AlertDuplicateSet {
        id: duplicateAlert
        objectName: "alertDuplicateSet"
        parent: bar.parent
        onOkClicked: {
            if (peltoQt.duplicateSet(bar.setName, name) === false) {
                alertGeneric.title = qsTr("Cannot Save Set");
                alertGeneric.message = qsTr("The set could not be written.");
                alertGeneric.show();
            }
        }
    }
    AlertDeleteSet {
        id: deleteAlert
        objectName: "alertDeleteSet"
        parent: bar.parent
        title: qsTr("DELETE CURRENT SET")
        onOkClicked: {
            peltoQt.deleteSet(bar.setName);
            bar.init("");
            setsCombo.currentIndex = -1;
        }
    }
}
