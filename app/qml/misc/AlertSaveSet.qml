import QtQuick 2.3

AlertNameBase {
    title: qsTr("TYPE SET NAME TO SAVE")
}
