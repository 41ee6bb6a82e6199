import QtQuick 2.3

// The end of a profiling run.
AlertBase {
    id: alert
    property bool showSuccess: true
    signal okClicked()
    title: ""
    showInfoIcon: false
    message: qsTr("\n\n\n\n\nProfile creation successfully completed!")
    picture: showSuccess ? "qrc:/assets/success.png" : "qrc:/assets/failure.png"
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
