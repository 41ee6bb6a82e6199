import QtQuick 2.3

// A message with one OK.
AlertBase {
    id: alert
    title: qsTr("MESSAGE")
    signal okClicked()
    TextButton {
        objectName: "alertOK"
        text: qsTr("OK")
        filled: true
        onClicked: {
            alert.close();
            alert.okClicked();
        }
    }
}
