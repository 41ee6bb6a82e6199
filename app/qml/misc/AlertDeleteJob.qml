import QtQuick 2.3

AlertOKCancel {
    title: qsTr("DELETE JOB")
    message: qsTr("If you delete this Job all settings and information will be lost. Are you sure ?")
    okText: qsTr("DELETE")
}
