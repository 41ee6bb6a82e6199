import QtQuick 2.3

AlertOKCancel {
    title: qsTr("DELETE SET")
    message: qsTr("If you delete this Set all settings and information will be lost. Are you sure ?")
    okText: qsTr("DELETE")
}
