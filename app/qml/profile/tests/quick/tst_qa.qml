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
        name: "QualityControl"
        when: windowShown

        property var grid: page.gridPlacement
        property var item: page.imageItem

        function child(name) {
            var found = findChild(page, name)
            verify(found, "no item " + name)
            return found
        }

        function init() {
            currentJob.profileNamePrefix = "Cam"
            currentJob.profileName = "Studio"
            currentJob.compareProfileName = ""
            allProfiles.list = ""
            item.qaSliderValue = 0.5
            item.greenDelta = true
            item.yellowDelta = true
            item.redDelta = true
            peltoQt.expertLocked = true
            page.show(true)
            peltoQt.clearCalls()
            item.clearActions()
        }
        function cleanup() {
            page.hide()
        }

        function test_slider_taken_from_item_and_written_back() {
            item.qaSliderValue = 0.25
            page.show(true)
            compare(child("qaSlider").value, 0.25)
            child("qaSlider").value = 0.75
            compare(item.qaSliderValue, 0.75)
        }

        function test_figures_shown() {
            item.deltaLabel = "ΔE 2000:"
            item.deltaEValue = "1.7"
            item.deltaEStatistics = "10%/mean/90% ΔE: 0.4 / 1.2 / 2.5\n(ΔE 2000)"
            item.deltaEIsGood = true
            compare(child("deltaLabel").text, "ΔE 2000:")
            compare(child("deltaValue").text, "1.7")
            compare(child("deltaStatistics").text, "10%/mean/90% ΔE: 0.4 / 1.2 / 2.5\n(ΔE 2000)")
            item.deltaLabel = ""
            compare(child("deltaLabel").text, "E-94:")
        }

        function test_colour_checks_data() {
            return [
                { tag: "green", box: "greenCheck", key: "greenDelta" },
                { tag: "yellow", box: "yellowCheck", key: "yellowDelta" },
                { tag: "red", box: "redCheck", key: "redDelta" }
            ]
        }
        function test_colour_checks(data) {
            var box = child(data.box)
            verify(box.checked)
            mouseClick(box)
            compare(item[data.key], false)
            verify(!box.checked)
            mouseClick(box)
            compare(item[data.key], true)
        }

        function test_profile_name_and_finder() {
            compare(child("qaProfileName").text, "CamStudio")
            mouseClick(child("showProfile"))
            compare(peltoQt.calls, ["showProfileInFinder(CamStudio)"])
        }

        function test_compare_profile() {
            allProfiles.list = "CamA|CamB|CamStudio"
            var combo = child("compareCombo")
            compare(combo.count, 3)
            currentJob.compareProfileName = "CamStudio"
            mouseClick(child("compareCheck"))
            compare(peltoQt.calls, ["setCompareProfileActiveChecked(true)"])
            compare(combo.currentIndex, 2)
            combo.activated(1)
            compare(peltoQt.calls[1], "selectedProfileCompareChanged(CamB)")
            mouseClick(child("compareCheck"))
            compare(peltoQt.calls[2], "setCompareProfileActiveChecked(false)")
        }

        function test_restart() {
            mouseClick(child("qaRestart"))
            compare(peltoQt.calls, ["resetRuntime(false,true)", "Script.goFrontPage(false)"])
        }

        function test_back_without_expert() {
            mouseClick(child("qaBack"))
            compare(peltoQt.calls, ["resetRuntime(true,false)", "Script.goProfiling(false)",
                                    "Script.setMainTitle(  Place the Grid,false)",
                                    "setProfilingStage(Adjust the Mask)"])
        }

        function test_back_with_expert_opens_settings() {
            // The script's goProfiling shows the page in grid mode, which
            // reads the lock again.
            peltoQt.expertLocked = false
            page.show(false)
            page.show(true)
            peltoQt.clearCalls()
            mouseClick(child("qaBack"))
            verify(grid.settingsOpen)
            compare(peltoQt.calls[peltoQt.calls.length - 1], "Script.setMainTitle(  Save Profile,false)")
        }

        function test_patch_info_shown_over_item() {
            qaPatchInfo.visible = true
            qaPatchInfo.x = 100
            qaPatchInfo.y = 50
            var info = child("patchInfo")
            verify(info.visible)
            verify(info.y > 50)
            qaPatchInfo.y = item.height - 50
            verify(info.y + info.height < item.height - 50)
            qaPatchInfo.visible = false
            verify(!info.visible)
        }

        function test_patch_info_stays_off_the_grid_page() {
            page.show(true)
            qaPatchInfo.visible = true
            var info = child("patchInfo")
            verify(info.visible)
            page.show(false)
            verify(!info.visible)
            qaPatchInfo.visible = false
        }
    }
}
