import QtQuick 2.3
import QtQuick.Window 2.2
import QtQuick.Controls 1.2
import QtQuick.Controls.Styles 1.2
import "misc"
import "intro"
import "job"
import "target"
import "profile"
import "script.js" as Script
import "misc/Theme.js" as Theme

ApplicationWindow {
    id: mainRect
    objectName: "mainWindow"
    property bool isLocked: false
    readonly property int mb_add: peltoQt.isQMLMenuEnabled() ? 20 : 0
    readonly property int usableHeight: height - mb_add
    property alias mainTitle: mainBar.title
    // The script for tests and tools that drive the window.
    readonly property var script: Script

    title: "Vandrelith pelto"
    visible: true
    width: props.u1200
    height: props.u800
    minimumWidth: props.u1200
    minimumHeight: props.u800
    color: Theme.page

    // A locked window keeps its present size.
    function setFixedWindowMode(fixed) {
        if (fixed === isLocked)
            return;
        isLocked = fixed;
        if (fixed) {
            maximumWidth = width;
            maximumHeight = height;
            minimumWidth = width;
            minimumHeight = height;
        } else {
            maximumWidth = 16777215;
            maximumHeight = 16777215;
            minimumWidth = props.u1200;
            minimumHeight = props.u800;
        }
    }

    function setShowIntro(show) {
        peltoQt.setEnabledIntro(show);
        if (show) {
            Script.goIntroPage(0);
            mainBar.reset();
        } else if (intro.visible || introPage.visible) {
            Script.goFrontPage(true);
        }
    }

    Connections {
        target: peltoQt
        function onSetShowIntroMessage(show) { mainRect.setShowIntro(show); }
    }

    menuBar: peltoQt.isQMLMenuEnabled() ? menu : null
    MenuBar {
        id: menu
        Menu {
            title: qsTr("File")
            MenuItem {
                text: qsTr("Preferences...")
                onTriggered: peltoQt.menuAction_Preferences()
            }
            MenuItem {
                text: qsTr("Quit")
                onTriggered: Qt.quit()
            }
        }
        Menu {
            title: qsTr("Help")
            MenuItem {
                text: qsTr("Check for Updates...")
                onTriggered: peltoQt.menuAction_CheckForUpdates()
            }
            MenuItem {
                text: qsTr("Support...")
                onTriggered: peltoQt.menuAction_Support()
            }
            MenuItem {
                text: qsTr("Show Intro")
                checkable: true
                checked: peltoQt.isIntroEnabled()
                onTriggered: peltoQt.menuAction_switchIntro()
            }
            MenuItem {
                text: qsTr("About Vandrelith pelto")
                onTriggered: peltoQt.menuAction_About()
            }
        }
    }

    toolBar: ToolBar {
        height: props.u50
        style: ToolBarStyle {
            padding { left: 0; right: 0; top: 0; bottom: 0 }
            background: Rectangle { color: "white" }
        }
        MainToolbar {
            id: mainBar
            objectName: "mainToolbar"
            anchors.fill: parent
        }
    }

    FontLoader { source: "qrc:/assets/fonts/Roboto-Bold.ttf" }
    FontLoader { source: "qrc:/assets/fonts/Roboto-Medium.ttf" }
    FontLoader { source: "qrc:/assets/fonts/Roboto-Light.ttf" }
    FontLoader { source: "qrc:/assets/fonts/Roboto-Regular.ttf" }

    Item {
        id: pages
        anchors.fill: parent

        Intro1 {
            id: intro
            anchors.fill: parent
            visible: peltoQt.isIntroEnabled()
        }
        IntroPage {
            id: introPage
            anchors.fill: parent
            visible: false
        }
        FrontPage {
            id: frontPage
            anchors.fill: parent
            visible: !peltoQt.isIntroEnabled()
        }
        JobsSlide {
            id: jobsSlide
            anchors.fill: parent
            visible: false
        }
        ManageJobs {
            id: manageJobs
            anchors.fill: parent
            visible: false
        }
        TargetsOverview {
            id: targetsOverview
            anchors.fill: parent
            visible: false
        }
        SelectTargets {
            id: selectTargets
            anchors.fill: parent
            visible: false
        }
        FilmCurveMissing {
            id: filmCurveMissing
            objectName: "filmCurveMissing"
            anchors.fill: parent
            visible: false
        }
        FilmCurveExtraction {
            id: filmCurveExtraction
            objectName: "filmCurveExtraction"
            anchors.fill: parent
            visible: false
        }
        Profiling {
            id: profilingPage
            objectName: "profiling"
            anchors.fill: parent
            visible: false
        }
        ProfilingProgress {
            id: profilingProgress
            objectName: "profilingProgress"
            anchors.fill: parent
            visible: false
        }
    }

    // The window's dialogs, over every page.
    Item {
        id: windowDialogs
        anchors.fill: parent
        z: 100
        AlertOKCancel {
            id: alertJobExists
            objectName: "alertJobExists"
            property string nextUI: ""
            property var targetObj: null
            title: qsTr("SAVE JOB")
            message: qsTr("A job with the same name already exists!")
            cancelText: qsTr("RENAME")
            okText: qsTr("OVERWRITE")
            z: 200
            onCancelClicked: {
                alertRenameSaveJob.nextUI = nextUI;
                alertRenameSaveJob.targetObj = targetObj;
                alertRenameSaveJob.showWithName(currentJob.name);
            }
            onOkClicked: Script.saveCurrentJob(false, false, nextUI, targetObj)
        }
        AlertOKCancel {
            id: alertSaveAsNew
            objectName: "alertSaveAsNew"
            property string nextUI: ""
            property var targetObj: null
            title: qsTr("Cannot Save Job")
            cancelText: qsTr("CANCEL")
            okText: qsTr("SAVE AS NEW")
            z: 200
            onOkClicked: {
                alertRenameSaveJob.nextUI = nextUI;
                alertRenameSaveJob.targetObj = targetObj;
                alertRenameSaveJob.showWithName(currentJob.name + " " + qsTr("copy"));
            }
        }
        AlertSaveJob {
            id: alertRenameSaveJob
            objectName: "alertRenameSaveJob"
            property string nextUI: ""
            property var targetObj: null
            saveOnly: true
            simplestSave: true
            z: 200
            onOkClicked: {
                currentJob.name = name;
                Script.saveCurrentJob(true, true, nextUI, targetObj);
            }
        }
        AlertSaveJob {
            id: alertSaveJobProfiling
            objectName: "alertSaveJobProfiling"
            property var profilePage: null
            z: 200
            onSaveAndStartClicked: profilePage.saveJobAndProfile(name)
            onSaveAndNewClicked: {
                currentJob.name = name;
                Script.saveCurrentJob(true, true, "new", null);
            }
        }
        AlertGeneric {
            id: alertGeneric
            objectName: "alertGeneric"
            z: 100
        }
    }
}
