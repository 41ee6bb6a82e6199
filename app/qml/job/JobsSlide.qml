import QtQuick 2.3
import "../misc"
import "../misc/Theme.js" as Theme

// The enabled jobs in a vertical list, each with its own drop area.
Rectangle {
    id: jobsSlide
    objectName: "jobsSlide"
    color: Theme.page
    JobsModel {
        id: jobsModel
        xml: allEnabledJobs.xml === undefined ? "" : allEnabledJobs.xml
    }
    ListView {
        id: list
        objectName: "slideJobList"
        anchors.fill: parent
        anchors.margins: props.u20
        spacing: props.u10
        clip: true
        model: jobsModel
        delegate: JobInfoSlide {
            objectName: "jobInfoSlide_" + jobName
            width: list.width - props.u20
            jobName: model.jobName || ""
            modelName: model.targetModel || ""
            referenceName: model.referenceName || ""
            profileType: model.profileType || ""
            calculationSet: model.calculationSet || ""
            qcSet: model.qcSet || ""
            targetsCount: model.targetsCount || 0
            targetIndex: model.currentTargetIndex || 0
        }
    }
    ScrollBar {
        flickable: list
        anchors.right: parent.right
        anchors.top: list.top
        anchors.bottom: list.bottom
    }
    NoMoreJobs {
        anchors.centerIn: parent
        visible: jobsModel.status === 1 && jobsModel.count === 0
    }
    JobAlerts {
        visible: jobsSlide.visible
    }
}
