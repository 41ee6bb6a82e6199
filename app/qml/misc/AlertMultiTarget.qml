import QtQuick 2.3

AlertOKCancel {
    title: qsTr("ATTENTION")
    message: qsTr("If you select more than one Target your current Job will be a Multitargeting Job")
    okText: qsTr("CONTINUE")
}
