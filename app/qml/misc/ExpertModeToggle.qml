import QtQuick 2.3

// The tabs of the expert settings. While processing a job a tab shows only
// when its group is not wholly locked and the profile kind allows it.
SegmentToggle {
    id: toggle
    objectName: "expertModeToggle"
    property bool processMode: false
    property alias state: toggle.current
    labels: [qsTr("All Profiles"), qsTr("Digital Camera Profiles (RAW)"), qsTr("Capture One Profiles"), qsTr("ICC Profiles")]
    names: ["ALL", "CAMERA", "C1", "ICC"]
    readonly property string tag: currentJob.profileNameTag === undefined ? "" : currentJob.profileNameTag
    function kindAllowed(kind) {
        return tag === "" || tag === kind;
    }
    shown: processMode
        ? [currentJob.expertAllAllLocked !== true && currentJob.expertRemoveAllTab !== true,
           currentJob.expertCameraAllLocked !== true && kindAllowed("DCP"),
           currentJob.expertC1AllLocked !== true && kindAllowed("C1"),
           currentJob.expertIccAllLocked !== true && kindAllowed("ICC")]
        : [true, true, true, true]
    function init() {
        for (var i = 0; i < names.length; ++i) {
            if (shown[i]) {
                current = names[i];
                chosen(current);
                return;
            }
        }
    }
}
