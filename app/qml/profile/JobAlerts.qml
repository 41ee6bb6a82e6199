import QtQuick 2.3

// The current job's three alerts. Each shows while its title is set and the
// page is visible; closing it empties the title and reports which one closed.
Item {
    id: alerts
    property bool active: true
    signal warningClosed()
    signal criticalClosed()
    signal informationClosed()

    anchors.fill: parent
    z: 150

    function textOf(value) { return value === undefined || value === null ? "" : String(value) }

    ProfileAlert {
        id: warning
        objectName: "alertWarning"
        title: alerts.textOf(currentJob.alertWarningTitle)
        message: alerts.textOf(currentJob.alertWarningMessage)
        visible: alerts.active && title !== ""
        onOk: { currentJob.alertWarningTitle = ""; alerts.warningClosed() }
    }
    ProfileAlert {
        id: critical
        objectName: "alertCritical"
        title: alerts.textOf(currentJob.alertCriticalTitle)
        message: alerts.textOf(currentJob.alertCriticalMessage)
        picture: "qrc:/assets/profile/owl-sad.png"
        visible: alerts.active && title !== ""
        onOk: { currentJob.alertCriticalTitle = ""; alerts.criticalClosed() }
    }
    ProfileAlert {
        id: information
        objectName: "alertInformation"
        title: alerts.textOf(currentJob.alertInformationTitle)
        message: alerts.textOf(currentJob.alertInformationMessage)
        visible: alerts.active && title !== ""
        onOk: { currentJob.alertInformationTitle = ""; alerts.informationClosed() }
    }
}
