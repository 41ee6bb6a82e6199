import QtQuick 2.3
import QtQuick.Controls 1.2
import "Theme.js" as Theme
import "../script.js" as Script

// A name dialog: a text field that refuses the characters no file name may
// hold, CANCEL and SAVE (enabled while the name is valid).
AlertOKCancel {
    id: alert
    property alias name: field.text
    property alias field: field
    message: ""
    okText: qsTr("SAVE")
    okEnabled: Script.isValidName(field.text)
    function showWithName(name) {
        field.text = name;
        show();
        field.selectAll();
        field.forceActiveFocus();
    }
    content: TextField {
        id: field
        objectName: "nameField"
        width: parent.width
        font.family: Theme.font
        font.pixelSize: props.FT_16
        validator: RegExpValidator { regExp: /[^\\\/:*?"<>|]*/ }
        onAccepted: if (alert.okEnabled) { alert.close(); alert.okClicked(); }
    }
}
