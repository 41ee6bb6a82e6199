import QtQuick 2.3
import CppImage 1.0
import "../script.js" as Script
import "profilerules.js" as Rules

// The chart image with its patch grid, in grid placement (qamode false) or
// quality control (qamode true).
Item {
    id: gridPlacement
    property bool qamode: false
    // The page that owns this one; its back() leaves the grid page.
    property var owner: null
    property alias shot: imageWidget.shot
    property alias action: imageWidget.action
    property alias imageItem: imageWidget
    property alias expertEnabled: gridBottomBar.expertEnabled
    property bool settingsOpen: false
    readonly property var selector: qamode ? qaTopBar.selector : gridTopBar.selector
    readonly property string profileFullName: gridBottomBar.prefix + gridBottomBar.name

    function showGrid() {
        qamode = false
        jobRenamed = false
        closeSettings()
        gridTopBar.selector.reset()
        gridToolBar.state = "GRID"
        expertEnabled = !peltoQt.isExpertModeLocked()
    }
    function showQa() {
        qamode = true
        closeSettings()
        qaTopBar.selector.reset()
        gridToolBar.state = "QA"
        qaTopBar.init()
        // The controller opens the page on the judged profile, not a comparison.
        qaBottomBar.compareCheck.checked = false
    }

    function setGridTitle() {
        Script.setMainTitle("  " + qsTr("Place the Grid"), false)
        peltoQt.setProfilingStage("Adjust the Mask")
    }
    function openSettings() {
        settingsOpen = true
        settingsView.active = true
        if (settingsView.item) {
            settingsView.item.visible = true
            if (typeof settingsView.item.show === "function")
                settingsView.item.show()
        }
        Script.setMainTitle("  " + qsTr("Save Profile"), false)
    }
    function closeSettings() {
        settingsOpen = false
        if (settingsView.item)
            settingsView.item.visible = false
    }

    // The back action of the grid page.
    function back() {
        if (settingsOpen) {
            closeSettings()
            setGridTitle()
        } else if (owner) {
            owner.back()
        }
    }
    function backward() {
        if (!selector.onFirstTarget)
            selector.previous()
        else
            back()
    }
    function forward() {
        if (!selector.onLastTarget) {
            selector.next()
        } else if (expertEnabled) {
            expertEnabled = false
            openSettings()
        } else if (profileFullName === "") {
            return
        } else if (peltoQt.doesProfileExist(profileFullName)) {
            profileExistsAlert.open()
        } else {
            requestProfiling()
        }
    }
    // Saves the job when needed; the script then starts the run and opens
    // the progress page. A profile without any name is never started. After
    // the job was renamed an existing job of that name is never kept silently.
    property bool jobRenamed: false
    function requestProfiling() {
        if (profileFullName === "")
            return
        Script.saveCurrentJob(true, jobRenamed, "profile", gridPlacement)
    }
    // START PROFILING of the settings' SAVE JOB: the job under the typed
    // name, then the profile as the forward button makes it.
    function saveJobAndProfile(name) {
        currentJob.name = name
        jobRenamed = true
        if (profileFullName === "")
            return
        if (peltoQt.doesProfileExist(profileFullName))
            profileExistsAlert.open()
        else
            requestProfiling()
    }
    function startProfiling() {
        imageWidget.action = "startProfiling"
    }

    function qaBack() {
        peltoQt.resetRuntime(true, false)
        Script.goProfiling(false)
        if (expertEnabled) {
            expertEnabled = false
            openSettings()
        } else {
            setGridTitle()
        }
    }

    Rectangle {
        anchors.fill: parent
        color: "#e9e9eb"
    }

    GridTopBar {
        id: gridTopBar
        objectName: "gridTopBar"
        visible: !gridPlacement.qamode
        anchors.top: parent.top
        width: parent.width
    }
    QaTopBar {
        id: qaTopBar
        objectName: "qaTopBar"
        visible: gridPlacement.qamode
        target: imageWidget
        anchors.top: parent.top
        width: parent.width
    }

    Item {
        id: imageArea
        anchors.top: gridTopBar.bottom
        anchors.bottom: gridBottomBar.top
        anchors.left: parent.left
        anchors.right: parent.right

        CppImageWidget {
            id: imageWidget
            objectName: "imageWidget"
            anchors.fill: parent
            anchors.margins: props.u10
            anchors.leftMargin: props.u70

            onIsLastShotChanged: if (isLastShot) Script.goProfiling(false)
            onIsFilmCurveMissingChanged: if (isFilmCurveMissing) Script.goFilmCurveMissing()
            onErrorExtractFilmCurveChanged: Script.alertInFilmCurveExtraction(errorExtractFilmCurve)

            // A shot chosen in the selector shows once it has loaded.
            Rectangle {
                objectName: "shotLoading"
                visible: imageWidget.loadingShot
                anchors.centerIn: parent
                width: parent.width * 0.4
                height: props.u60
                radius: props.u10
                color: Qt.rgba(1, 1, 1, 0.85)
                z: 20
                Column {
                    anchors.centerIn: parent
                    width: parent.width - props.u40
                    spacing: props.u10
                    ProfileProgressBar {
                        width: parent.width
                        value: currentJob.imageProgress === undefined ? 0 : currentJob.imageProgress
                    }
                    Text {
                        objectName: "shotLoadingProgress"
                        anchors.horizontalCenter: parent.horizontalCenter
                        text: qsTr("Loading shot %1%").arg(currentJob.imageProgress === undefined ? 0 : currentJob.imageProgress)
                        font.pixelSize: props.FT_14
                        color: "#505258"
                    }
                }
            }
            QAPatchInfo {
                id: patchInfo
                objectName: "patchInfo"
                // Quality control only: the information of a patch hovered
                // there earlier (another job's, too) stays off the grid page.
                visible: gridPlacement.qamode && Rules.isTrue(qaPatchInfo.visible)
            }
            ColorPicker {
                id: colorPicker
                objectName: "colorPicker"
            }
        }

        GridToolBar {
            id: gridToolBar
            objectName: "gridToolBar"
            target: imageWidget
            anchors.left: parent.left
            anchors.leftMargin: props.u10
            anchors.top: parent.top
            anchors.topMargin: props.u10
        }

        // The job settings in processing mode.
        Loader {
            id: settingsView
            objectName: "settingsView"
            anchors.fill: parent
            active: false
            source: "../job/JobSettings.qml"
            z: 70
            onLoaded: {
                item.processMode = true
                item.visible = gridPlacement.settingsOpen
                if (gridPlacement.settingsOpen && typeof item.show === "function")
                    item.show()
            }
        }
        // The settings page hides itself on its own BACK.
        Connections {
            target: settingsView.item
            ignoreUnknownSignals: true
            function onVisibleChanged() {
                if (!settingsView.item.visible && gridPlacement.settingsOpen) {
                    gridPlacement.settingsOpen = false
                    gridPlacement.setGridTitle()
                }
            }
            // SAVE JOB: the job pages' three-button save; START PROFILING
            // comes back to saveJobAndProfile.
            function onSaveRequested() {
                Script.showSaveJob(gridPlacement)
            }
        }
    }

    GridBottomBar {
        id: gridBottomBar
        objectName: "gridBottomBar"
        visible: !gridPlacement.qamode
        onLastTarget: gridTopBar.selector.onLastTarget
        anchors.bottom: parent.bottom
        width: parent.width
        onBackClicked: gridPlacement.backward()
        onForwardClicked: gridPlacement.forward()
    }
    QaBottomBar {
        id: qaBottomBar
        objectName: "qaBottomBar"
        visible: gridPlacement.qamode
        target: imageWidget
        anchors.bottom: parent.bottom
        width: parent.width
        onRestartClicked: {
            peltoQt.resetRuntime(false, true)
            Script.goFrontPage(false)
        }
        onBackClicked: gridPlacement.qaBack()
        onQuitClicked: Qt.quit()
    }

    ProfileAlert {
        id: profileExistsAlert
        objectName: "profileExistsAlert"
        title: qsTr("SAVE PROFILE")
        message: qsTr("A profile with the same name already exists!")
        cancelText: qsTr("RENAME")
        okText: qsTr("OVERWRITE")
        onCancel: close()
        onOk: {
            close()
            gridPlacement.requestProfiling()
        }
    }

    // Alerts of the grid page: a critical one leaves for the front page.
    JobAlerts {
        objectName: "gridAlerts"
        active: gridPlacement.visible
        onCriticalClosed: {
            peltoQt.resetRuntime(false, true)
            Script.goFrontPage(false)
        }
    }
}
