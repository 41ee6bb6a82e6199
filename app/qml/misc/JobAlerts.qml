import QtQuick 2.3

// The current job's warning, critical and information alerts; an alert shows
// while its title is not empty, and closing it empties the title.
Item {
    id: alerts
    anchors.fill: parent
    z: 150
    property var kinds: ["Warning", "Critical", "Information"]
    Repeater {
        model: alerts.kinds
        AlertGeneric {
            objectName: "jobAlert" + modelData
            readonly property var alertTitle: currentJob["alert" + modelData + "Title"]
            title: alertTitle === undefined ? "" : alertTitle
            message: currentJob["alert" + modelData + "Message"] === undefined ? "" : currentJob["alert" + modelData + "Message"]
            function showing() {
                return alertTitle !== undefined && alertTitle !== "";
            }
            visible: showing()
            onOkClicked: {
                currentJob["alert" + modelData + "Title"] = "";
                visible = Qt.binding(showing);
            }
        }
    }
}
