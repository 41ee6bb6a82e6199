import QtQuick 2.3
import "../misc"
import "../job"
import "../bottom"
import "../misc/Theme.js" as Theme
import "../script.js" as Script

// The target templates of the job: select, deselect, change the reference.
Rectangle {
    id: selectPage
    objectName: "selectTargets"
    color: Theme.page
    property string pendingTarget: ""
    property alias expertPage: jobSettings
    property alias further: further
    function show() {
        jobSettings.hide();
        further.visible = false;
        targetsModel.xml = allTargets.xml === undefined ? "" : allTargets.xml;
        visible = true;
    }
    function hide() {
        targetsModel.xml = "";
        jobSettings.hide();
        further.visible = false;
        visible = false;
    }
    function count() {
        return currentJob.targetCount === undefined ? 0 : currentJob.targetCount;
    }
    function select(name) {
        if (count() === 1) {
            pendingTarget = name;
            multiTargetAlert.show();
            return;
        }
        var first = count() === 0;
        peltoQt.targetSelected(name);
        if (first && count() > 0)
            further.show();
    }
    function openExpert() {
        if (count() === 0)
            return;
        Script.setMainTitle(Script.jobTitle(qsTr("Expert Mode - Define your Custom Information")), false);
        further.visible = false;
        jobSettings.show();
    }
    function openSave() {
        if (count() === 0)
            return;
        saveAlert.showWithName(currentJob.name);
    }
    function backToSelection() {
        jobSettings.hide();
        further.visible = false;
        Script.setMainTitle(Script.jobTitle(qsTr("Select your Target")), false);
    }
    TargetsModel {
        id: targetsModel
    }
    Connections {
        target: peltoQt
        function onTargetSelectionCompleted() {
            if (selectPage.visible) {
                targetsModel.xml = "";
                targetsModel.xml = allTargets.xml === undefined ? "" : allTargets.xml;
            }
        }
    }
    ListView {
        id: list
        objectName: "targetList"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: bottomBar.top
        anchors.margins: props.u20
        spacing: props.u10
        clip: true
        model: targetsModel
        delegate: TargetElement {
            objectName: "targetElement_" + model.name
            width: list.width - props.u20
            name: model.name || ""
            modelName: model.targetModel || ""
            manufacturer: model.manufacturer || ""
            referenceName: model.referenceName || ""
            referenceFolder: model.referenceFolder || ""
            targetIcon: model.targetIcon || ""
            patches: model.patches || 0
            columns: model.columns || 0
            rows: model.rows || 0
            selected: model.targetSelected === true
            onSelectClicked: selectPage.select(model.name)
            onDeselectClicked: peltoQt.targetUnselected(model.name)
            onReferenceChosen: peltoQt.changeTargetReferenceFile(model.name, url)
        }
    }
    ScrollBar {
        flickable: list
        anchors.right: parent.right
        anchors.top: list.top
        anchors.bottom: list.bottom
    }
    NoMoreJobs {
        anchors.centerIn: list
        visible: targetsModel.status === 1 && targetsModel.count === 0
        text: qsTr("NO TARGETS")
    }
    BottomBarTarget {
        id: bottomBar
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        onExpertClicked: selectPage.openExpert()
        onSaveClicked: selectPage.openSave()
    }
    SelectTargetsFurther {
        id: further
        anchors.fill: parent
        visible: false
        onProfilingClicked: furtherSave.begin(true)
        onNewClicked: furtherSave.begin(false)
        onExpertClicked: selectPage.openExpert()
    }
    JobSettings {
        id: jobSettings
        anchors.fill: parent
        visible: false
        backText: qsTr("CHANGE TARGETS")
        onBack: selectPage.backToSelection()
        onSaveRequested: selectPage.openSave()
    }
    AlertMultiTarget {
        id: multiTargetAlert
        objectName: "alertMultiTarget"
        onOkClicked: peltoQt.targetSelected(selectPage.pendingTarget)
    }
    // The three-button save of the bottom bar and the expert page.
    AlertSaveJob {
        id: saveAlert
        objectName: "alertSaveJob"
        onSaveAndStartClicked: {
            currentJob.name = name;
            Script.saveCurrentJob(true, true, "front", null);
        }
        onSaveAndNewClicked: {
            currentJob.name = name;
            Script.saveCurrentJob(true, true, "new", null);
        }
    }
    // The save form after PROFILING or NEW of the further choices.
    AlertSaveJob {
        id: furtherSave
        objectName: "alertSaveJobFurther"
        saveOnly: true
        function begin(profiling) {
            startProfiling = profiling;
            showWithName(currentJob.name);
        }
        onSaveAndStartClicked: {
            currentJob.name = name;
            Script.saveCurrentJob(true, true, "front", null);
        }
        onSaveAndNewClicked: {
            currentJob.name = name;
            Script.saveCurrentJob(true, true, "new", null);
        }
    }
}
