import QtQuick 2.3
import QtQuick.XmlListModel 2.0
import "../misc"
import "../misc/Theme.js" as Theme

// The custom information of the job, one field per item.
Item {
    id: info
    property bool fieldsShown: true
    Row {
        id: header
        anchors.top: parent.top
        anchors.horizontalCenter: parent.horizontalCenter
        spacing: props.u15
        LabelContent { text: qsTr("USE CUSTOM INFO IN PROFILE"); anchors.verticalCenter: parent.verticalCenter }
        OnOffToggle {
            objectName: "customInfoToggle"
            anchors.verticalCenter: parent.verticalCenter
            toggleState: info.fieldsShown ? "ENABLED" : "DISABLED"
            onToggled: info.fieldsShown = (state === "ENABLED")
        }
    }
    // Read when the view shows, not on every change: each typed character
    // publishes the information again, and a model read anew would make the
    // fields anew and take the focus from the one being typed in.
    function reload() {
        items.xml = currentJob.info === undefined ? "" : currentJob.info;
    }
    onVisibleChanged: if (visible) reload()
    Component.onCompleted: reload()
    XmlListModel {
        id: items
        query: "/info/item"
        XmlRole { name: "name"; query: "name/string()" }
        XmlRole { name: "value"; query: "value/string()" }
    }
    Grid {
        anchors.top: header.bottom
        anchors.topMargin: props.u30
        anchors.horizontalCenter: parent.horizontalCenter
        visible: info.fieldsShown
        columns: 3
        columnSpacing: props.u40
        rowSpacing: props.u20
        Repeater {
            model: items
            TitledTextField {
                objectName: "info_" + model.name
                width: props.u300
                title: model.name
                text: model.value
                onEdited: peltoQt.infoParamChanged(model.name, text)
            }
        }
    }
    NoMoreJobs {
        anchors.centerIn: parent
        visible: !info.fieldsShown
        text: qsTr("CUSTOM INFO IS DISABLED")
    }
}
