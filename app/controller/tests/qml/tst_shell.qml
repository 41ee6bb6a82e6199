import QtQuick 2.0
import QtTest 1.2

TestCase {
    name: "shell"

    function test_scaling() {
        compare(peltoQt.refWidth(), 1200)
        compare(peltoQt.refHeight(), 800)
        compare(typeof props.FT_10, "number")
        compare(props.u1200, 1200)
        compare(props.p0, 0)
    }

    function test_patchInfo() {
        peltoQt.catchPatchInfo(true, 3, 4, false, "#05c8ff", "black", 1, 2, 3, 4, 5, 6, 7, 8, 9,
                               10, 11, 12, 13, 14, 15, 16, 0, 2.25)
        compare(qaPatchInfo.visible, true)
        compare(qaPatchInfo.refColor, "#05c8ff")
        compare(qaPatchInfo.profColor, "#000000")
        compare(qaPatchInfo.delE, "16.0")
        compare(qaPatchInfo.avgDE, "")
    }

    function test_colorPicker() {
        var shown = qaColorPicker.visible
        peltoQt.toggleColorPicker(false)
        compare(qaColorPicker.visible, !shown)
        peltoQt.toggleColorPicker(false)
        compare(qaColorPicker.visible, shown)
        peltoQt.catchColorPicker(7, 8)
        compare(qaColorPicker.x, 7)
    }

    function test_profileName() {
        peltoQt.setProfileName("ABCprofile", 3)
        compare(currentJob.profileNamePrefix, "ABC")
        compare(currentJob.profileName, "profile")
        peltoQt.setProfilingStage("Quality Control")
        compare(peltoQt.getProfilingStage(), "Quality Control")
    }
}
