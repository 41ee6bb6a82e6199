import QtQuick 2.3
import "../script.js" as Script

// The loaded shot needs a film curve that the job does not have yet.
Item {
    id: filmCurveMissing
    visible: false

    function show() { visible = true }
    function hide() { visible = false }

    Rectangle {
        anchors.fill: parent
        color: "#e9e9eb"
    }

    ProfileAlert {
        objectName: "filmCurveMissingAlert"
        visible: true
        title: qsTr("Could not find a Film Curve!")
        message: qsTr("Please load the corresponding TIFF processed in Capture One with these settings:\nICC Profile: 'Embed camera profile'\nCurve: 'Linear Response'")
        cancelText: qsTr("HELP")
        okText: qsTr("OK")
        onOk: Script.goFilmCurveExtraction()
        onCancel: peltoQt.helpFilmCurveExtraction()
    }
}
