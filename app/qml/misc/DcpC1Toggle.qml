import QtQuick 2.3

// DCP or Capture One profile for the current job.
SegmentToggle {
    objectName: "dcpC1Toggle"
    labels: [qsTr("DCP"), qsTr("C1")]
    names: ["DCP", "C1"]
    current: currentJob.isC1InsteadOfDCP === true ? "C1" : "DCP"
    onChosen: currentJob.isC1InsteadOfDCP = (name === "C1")
}
