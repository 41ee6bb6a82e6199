import QtQuick 2.3
import QtQuick.XmlListModel 2.0
import "../misc"
import "../misc/Theme.js" as Theme

// One combo with its lock per expert setting of the chosen tab.
Item {
    id: expert
    property bool processMode: false
    signal settingChanged()
    readonly property string source: processMode ? currentJob.expertTrimmed : currentJob.expert
    // A setting of every workflow is written once per workflow: the ALL tab
    // shows it once, as its camera entry.
    readonly property var tabQueries: ({
        "ALL": "(itemAll | itemCamera[name = ../itemC1/name and name = ../itemIcc/name])",
        "CAMERA": "itemCamera", "C1": "itemC1", "ICC": "itemIcc" })
    function init() {
        tabs.init();
    }
    ExpertModeToggle {
        id: tabs
        anchors.top: parent.top
        anchors.horizontalCenter: parent.horizontalCenter
        processMode: expert.processMode
    }
    XmlListModel {
        id: items
        xml: expert.source === undefined ? "" : expert.source
        query: "/expertSettings/" + (expert.tabQueries[tabs.current] || "itemAll")
        XmlRole { name: "name"; query: "name/string()" }
        XmlRole { name: "value"; query: "value/string()" }
        XmlRole { name: "index"; query: "number(index)" }
        XmlRole { name: "locked"; query: "locked/string()" }
        XmlRole { name: "lockFixed"; query: "lockFixed/string()" }
    }
    Flickable {
        id: flick
        anchors.top: tabs.bottom
        anchors.topMargin: props.u30
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        contentHeight: grid.height
        clip: true
        Grid {
            id: grid
            anchors.horizontalCenter: parent.horizontalCenter
            columns: 3
            columnSpacing: props.u40
            rowSpacing: props.u30
            Repeater {
                model: items
                ComboBoxLock {
                    objectName: "expert_" + model.name
                    dataProvider: model.name
                    currentValue: model.value
                    lockState: model.lockFixed === "true" ? "FROZEN" : (model.locked === "true" ? "LOCKED" : "UNLOCKED")
                    onValueChosen: {
                        peltoQt.expertParamChanged(model.name, value, expert.processMode);
                        expert.settingChanged();
                    }
                    onLockChanged: {
                        peltoQt.expertParamLockChanged(model.name, locked);
                        expert.settingChanged();
                    }
                }
            }
        }
    }
    NoMoreJobs {
        anchors.centerIn: flick
        visible: items.status === 1 && items.count === 0
        text: qsTr("NO MORE PARAMETERS")
    }
}
