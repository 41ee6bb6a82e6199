import QtQuick 2.3
import "../misc"

// The captions and values of one job.
Column {
    id: labels
    property string jobName
    property string modelName
    property string referenceName
    property string profileType
    property string calculationSet
    property string qcSet
    spacing: props.u10
    Repeater {
        model: [[qsTr("JOBNAME"), jobName], [qsTr("MODEL"), labels.modelName], [qsTr("REFERENCE"), referenceName],
                [qsTr("PROFILE TYPE"), profileType], [qsTr("CALCULATION PARAMETER SET"), calculationSet],
                [qsTr("QC-SET"), qcSet]]
        Column {
            spacing: 2
            LabelDesc { text: modelData[0] }
            LabelContent { text: modelData[1]; width: props.u300 }
        }
    }
}
