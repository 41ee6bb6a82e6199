import QtQuick 2.3

// A question with a cancel and an OK button.
AlertBase {
    id: alert
    title: qsTr("TITLE")
    message: qsTr("MESSAGE")
    property string cancelText: qsTr("CANCEL")
    property string okText: qsTr("OK")
    property bool okEnabled: true
    signal okClicked()
    signal cancelClicked()
    TextButton {
        objectName: "alertCancel"
        text: alert.cancelText
        onClicked: {
            alert.close();
            alert.cancelClicked();
        }
    }
    TextButton {
        objectName: "alertOK"
        text: alert.okText
        filled: true
        enabled: alert.okEnabled
        onClicked: {
            alert.close();
            alert.okClicked();
        }
    }
}
