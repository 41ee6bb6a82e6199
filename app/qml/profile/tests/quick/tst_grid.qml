import QtQuick 2.3
import QtTest 1.1
import "qrc:/qml/profile"

Item {
    id: root
    width: 1200
    height: 800

    Profiling {
        id: page
        anchors.fill: parent
    }

    TestCase {
        id: test
        name: "GridPage"
        when: windowShown

        property var grid: page.gridPlacement
        property var item: page.imageItem

        function child(name) {
            var found = findChild(page, name)
            verify(found, "no item " + name)
            return found
        }
        // An item of the grid mode's selector (the quality-control bar has its own).
        function selectorChild(name) {
            var found = findChild(child("gridSelector"), name)
            verify(found, "no selector item " + name)
            return found
        }
        // Lays the selector's row out now: a positioner places new cells only
        // when it is next polished.
        function layOutSelector() {
            selectorChild("nextTarget").parent.forceLayout()
        }
        function forwardText() { return child("gridBottomBar").forwardText }
        function clickForward() { mouseClick(child("gridForward")) }
        function clickBack() { mouseClick(child("gridBack")) }
        function setTargets(count) {
            currentJob.targets = testHost.targets(count, 0)
            tryCompare(child("gridSelector"), "targetCount", count, 30000)
        }
        function showGrid(expertLocked, targets) {
            peltoQt.expertLocked = expertLocked
            setTargets(targets)
            page.show(false)
            layOutSelector()
            peltoQt.clearCalls()
            item.clearActions()
        }
        function typeName(text) {
            var field = child("profileName")
            field.forceActiveFocus()
            field.selectAll()
            keyClick(Qt.Key_Delete)
            for (var i = 0; i < text.length; ++i)
                keyClick(text.charAt(i))
        }

        function init() {
            currentJob.profileNamePrefix = "Cam"
            currentJob.profileName = "Studio"
            peltoQt.existingProfiles = []
            qaPatchInfo.visible = false
            qaColorPicker.visible = false
        }
        function cleanup() {
            currentJob.alertWarningTitle = ""
            currentJob.alertCriticalTitle = ""
            currentJob.alertInformationTitle = ""
            child("profileExistsAlert").close()
            item.isLastShot = false
            item.isFilmCurveMissing = false
            page.hide()
        }

        function test_show_reads_expert_lock() {
            peltoQt.expertLocked = false
            page.show(false)
            verify(grid.expertEnabled)
            peltoQt.expertLocked = true
            page.show(false)
            verify(!grid.expertEnabled)
        }

        function test_forward_walks_targets() {
            showGrid(true, 3)
            compare(forwardText(), "NEXT")
            clickForward()
            compare(child("gridSelector").currentSelectedTarget, 1)
            compare(forwardText(), "NEXT")
            clickForward()
            compare(forwardText(), "START PROFILING")
            clickForward()
            compare(peltoQt.calls, ["selectTarget4Profiling(1)", "selectTarget4Profiling(2)",
                                    "doesProfileExist(CamStudio)", "Script.saveCurrentJob(true,false,profile)",
                                    "Script.goProfilingProgress(obj)"])
            compare(item.actions, ["startProfiling"])
        }

        function test_forward_opens_settings_first_when_expert() {
            showGrid(false, 3)
            clickForward()
            clickForward()
            compare(forwardText(), "NEXT")
            clickForward()
            verify(grid.settingsOpen)
            verify(!grid.expertEnabled)
            var settings = child("settingsView").item
            verify(settings.visible)
            verify(settings.processMode)
            compare(peltoQt.calls.slice(2), ["JobSettings.show(true)", "Script.setMainTitle(  Save Profile,false)"])
            compare(item.actions, [])
            compare(forwardText(), "START PROFILING")
            clickForward()
            compare(item.actions, ["startProfiling"])
        }

        // SAVE JOB of the settings asks the script for the job save; its
        // START PROFILING comes back for the profile under the typed name.
        function test_settings_save_job() {
            showGrid(false, 1)
            clickForward()
            verify(grid.settingsOpen)
            var save = child("jobSettingsSave")
            waitForRendering(save)
            peltoQt.clearCalls()
            mouseClick(save)
            compare(peltoQt.calls, ["Script.showSaveJob(obj)"])
            peltoQt.clearCalls()
            grid.saveJobAndProfile("Renamed")
            compare(currentJob.name, "Renamed")
            compare(peltoQt.calls.filter(function (c) { return c.indexOf("Script.saveCurrentJob") === 0 }),
                    ["Script.saveCurrentJob(true,true,profile)"])
            compare(item.actions, ["startProfiling"])
        }

        function test_back_closes_settings_then_leaves() {
            showGrid(false, 1)
            clickForward()
            verify(grid.settingsOpen)
            peltoQt.clearCalls()
            clickBack()
            verify(!grid.settingsOpen)
            verify(!child("settingsView").item.visible)
            compare(peltoQt.calls, ["Script.setMainTitle(  Place the Grid,false)",
                                    "setProfilingStage(Adjust the Mask)"])
            peltoQt.clearCalls()
            clickBack()
            compare(peltoQt.calls, ["resetRuntime(false,true)", "Script.goFrontPage(false)"])
        }

        function test_settings_own_back_restores_title() {
            showGrid(false, 1)
            clickForward()
            peltoQt.clearCalls()
            mouseClick(findChild(child("settingsView").item, "jobSettingsBack"))
            verify(!grid.settingsOpen)
            compare(peltoQt.calls, ["Script.setMainTitle(  Place the Grid,false)",
                                    "setProfilingStage(Adjust the Mask)"])
        }

        function test_back_selects_previous_target() {
            showGrid(true, 3)
            clickForward()
            clickForward()
            peltoQt.clearCalls()
            clickBack()
            compare(child("gridSelector").currentSelectedTarget, 1)
            compare(peltoQt.calls, ["selectTarget4Profiling(1)"])
        }

        function test_existing_profile_asks() {
            showGrid(true, 1)
            peltoQt.existingProfiles = ["CamStudio"]
            clickForward()
            var alert = child("profileExistsAlert")
            verify(alert.visible)
            compare(findChild(alert, "alertTitle").text, "SAVE PROFILE")
            compare(findChild(alert, "alertMessage").text, "A profile with the same name already exists!")
            compare(findChild(alert, "alertCancel").children[0].text, "RENAME")
            mouseClick(findChild(alert, "alertCancel"))
            verify(!alert.visible)
            compare(peltoQt.calls, ["doesProfileExist(CamStudio)"])
            compare(item.actions, [])
            compare(child("profileName").text, "Studio")

            clickForward()
            mouseClick(findChild(alert, "alertOk"))
            verify(!alert.visible)
            compare(item.actions, ["startProfiling"])
        }

        function test_empty_name_starts_nothing() {
            currentJob.profileNamePrefix = ""
            currentJob.profileName = ""
            showGrid(true, 1)
            compare(forwardText(), "START PROFILING")
            clickForward()
            compare(peltoQt.calls, [])
            compare(item.actions, [])
        }

        function test_name_edits_call_controller() {
            showGrid(true, 1)
            typeName("ab")
            compare(child("profileName").text, "ab")
            compare(peltoQt.calls[peltoQt.calls.length - 1], "setProfileName(Camab,3)")
            compare(currentJob.profileName, "ab")
            compare(currentJob.profileNamePrefix, "Cam")
        }

        function test_refused_characters_cannot_be_typed() {
            showGrid(true, 1)
            typeName("a\\/:*?\"<>|b")
            compare(child("profileName").text, "ab")
        }

        function test_refused_characters_cannot_be_pasted() {
            showGrid(true, 1)
            typeName("ab")
            peltoQt.setClipboardText("x/y")
            keySequence(StandardKey.Paste)
            compare(child("profileName").text, "ab")
            peltoQt.setClipboardText("xy")
            keySequence(StandardKey.Paste)
            compare(child("profileName").text, "abxy")
        }

        function test_job_name_loses_refused_characters() {
            showGrid(true, 1)
            currentJob.profileName = "Day/light"
            compare(child("profileName").text, "Daylight")
            tryCompare(currentJob, "profileName", "Daylight", 30000)
            compare(peltoQt.calls, ["setProfileName(CamDaylight,3)"])
        }

        function test_long_name_kept() {
            showGrid(true, 1)
            var name = ""
            for (var i = 0; i < 200; ++i)
                name += String.fromCharCode(97 + i % 26)
            currentJob.profileName = name
            compare(child("profileName").text, name)
            peltoQt.clearCalls()
            clickForward()
            compare(peltoQt.calls[0], "doesProfileExist(Cam" + name + ")")
        }

        function test_prefix_and_tag_shown() {
            currentJob.profileNameTag = "ICC"
            showGrid(true, 1)
            compare(child("profileNamePrefix").text, "Cam")
            compare(child("profileNameTag").text, "  ICC")
            currentJob.profileNameTag = ""
        }

        function test_tools_set_actions_data() {
            return [
                { tag: "zoom in", button: "zoomIn", action: "zoomIn" },
                { tag: "zoom out", button: "zoomOut", action: "zoomOut" },
                { tag: "rotate left", button: "rotateLeft", action: "rotateCCW" },
                { tag: "rotate right", button: "rotateRight", action: "rotateCW" },
                { tag: "picker", button: "picker", action: "togglePicker" }
            ]
        }
        function test_tools_set_actions(data) {
            showGrid(true, 1)
            mouseClick(child(data.button))
            compare(item.actions, [data.action])
        }

        function test_qa_hides_rotation() {
            page.show(true)
            verify(!child("rotateLeft").visible)
            verify(!child("rotateRight").visible)
            verify(child("zoomIn").visible)
            page.show(false)
            verify(child("rotateLeft").visible)
        }

        function test_selector_targets_and_shots() {
            showGrid(true, 3)
            mouseClick(selectorChild("target2"))
            compare(peltoQt.calls, ["selectTarget4Profiling(2)"])
            compare(child("gridSelector").currentSelectedTarget, 2)
            currentJob.currentTargetShots = testHost.shots(3, 0)
            mouseClick(selectorChild("targetNumber2"))
            verify(!child("gridSelector").showTargets)
            tryVerify(function() { return findChild(child("gridSelector"), "shot1") !== null }, 30000)
            layOutSelector()
            mouseClick(selectorChild("shot1"))
            compare(peltoQt.calls, ["selectTarget4Profiling(2)", "loadShot4Profiling(1)"])
            verify(child("gridSelector").showTargets)
        }

        function test_selector_arrows() {
            showGrid(true, 3)
            mouseClick(selectorChild("nextTarget"))
            compare(child("gridSelector").currentSelectedTarget, 1)
            mouseClick(selectorChild("nextTarget"))
            compare(child("gridSelector").currentSelectedTarget, 2)
            verify(!selectorChild("nextTarget").enabled)
            mouseClick(selectorChild("nextTarget"))
            compare(child("gridSelector").currentSelectedTarget, 2)
            mouseClick(selectorChild("previousTarget"))
            compare(peltoQt.calls, ["selectTarget4Profiling(1)", "selectTarget4Profiling(2)",
                                    "selectTarget4Profiling(1)"])
        }

        function test_grid_alerts_data() {
            return [
                { tag: "warning", key: "alertWarningTitle", alert: "alertWarning", calls: [] },
                { tag: "information", key: "alertInformationTitle", alert: "alertInformation", calls: [] },
                { tag: "critical", key: "alertCriticalTitle", alert: "alertCritical",
                  calls: ["resetRuntime(false,true)", "Script.goFrontPage(false)"] }
            ]
        }
        function test_grid_alerts(data) {
            showGrid(true, 1)
            currentJob[data.key] = "Error"
            var alert = findChild(child("gridAlerts"), data.alert)
            verify(alert.visible)
            mouseClick(findChild(alert, "alertOk"))
            compare(currentJob[data.key], "")
            compare(peltoQt.calls, data.calls)
        }

        function test_item_signals_route() {
            showGrid(true, 1)
            item.isLastShot = true
            item.isFilmCurveMissing = true
            item.errorExtractFilmCurve = "File is from wrong camera!"
            compare(peltoQt.calls, ["Script.goProfiling(false)", "Script.goFilmCurveMissing()",
                                    "Script.alertInFilmCurveExtraction(File is from wrong camera!)"])
        }

        function test_picker_panel_toggles() {
            showGrid(true, 1)
            qaColorPicker.x = 200
            qaColorPicker.y = 200
            qaColorPicker.visible = true
            var picker = child("colorPicker")
            verify(picker.visible)
            mouseClick(child("pickerPanel"))
            compare(peltoQt.calls, ["toggleColorPicker(true)"])
            verify(!picker.visible)
        }
    }
}
