import QtQuick 2.3
import QtQuick.Dialogs 1.2
import "../script.js" as Script
import "profilerules.js" as Rules

// Takes the Capture One TIFF from which the job's film curve is extracted.
Item {
    id: filmCurveExtraction
    readonly property real progress: Rules.toNumber(currentJob.C1TifProgress)
    readonly property bool loading: progress !== 0 && progress !== 100
    property string alertText: ""
    visible: false

    function show() { visible = true }
    function hide() { visible = false }
    // Shows an error text handed in by the script.
    function showAlert(text) {
        alertText = Rules.text(text)
        if (alertText !== "")
            errorAlert.open()
    }
    function dropUrls(urls) {
        for (var i = 0; i < urls.length; ++i)
            peltoQt.dropC1Tif(String(urls[i]))
    }

    Rectangle {
        anchors.fill: parent
        color: "#e9e9eb"
    }

    Rectangle {
        id: dropZone
        objectName: "filmCurveDropArea"
        anchors.centerIn: parent
        width: props.u500
        height: props.u350
        radius: props.u10
        color: dropArea.containsDrag ? "#fde5d6" : "white"
        border.color: dropArea.containsDrag ? "#e8712c" : "#c8c8c8"
        border.width: 2

        Column {
            anchors.centerIn: parent
            spacing: props.u10
            Image {
                                            anchors.horizontalCenter: parent.horizontalCenter
                source: "qrc:/assets/profile/drop-tiff.png"
                width: props.u150
                height: props.u150
                fillMode: Image.PreserveAspectFit
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: qsTr("DRAG & DROP")
                font.pixelSize: props.FT_24
                font.bold: true
                color: "#303236"
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: qsTr("or click to browse TIFF from Capture One")
                font.pixelSize: props.FT_14
                color: "#505258"
            }
            ProfileProgressBar {
                objectName: "c1Progress"
                anchors.horizontalCenter: parent.horizontalCenter
                visible: filmCurveExtraction.loading
                width: props.u300
                value: filmCurveExtraction.progress
            }
            Text {
                objectName: "c1ProgressText"
                anchors.horizontalCenter: parent.horizontalCenter
                visible: filmCurveExtraction.loading
                text: Math.floor(filmCurveExtraction.progress) + "%"
                font.pixelSize: props.FT_14
                color: "#505258"
            }
        }

        DropArea {
            id: dropArea
            anchors.fill: parent
            onDropped: {
                if (drop.hasUrls) {
                    filmCurveExtraction.dropUrls(drop.urls)
                    drop.acceptProposedAction()
                }
            }
        }
        MouseArea {
            anchors.fill: parent
            onClicked: fileDialog.open()
        }
    }

    FileDialog {
        id: fileDialog
        title: qsTr("Please choose a TIFF from Capture One")
        nameFilters: [qsTr("Capture One TIFF files (*.tif)")]
        selectMultiple: false
        onAccepted: filmCurveExtraction.dropUrls(fileDialog.fileUrls)
    }

    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: props.u80
        color: "white"
        ProfileButton {
            objectName: "filmCurveBack"
            anchors.left: parent.left
            anchors.leftMargin: props.u20
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("BACK")
            onClicked: {
                peltoQt.resetRuntime(false, true)
                Script.goFrontPage(false)
            }
        }
        ProfileButton {
            objectName: "filmCurveHelp"
            anchors.right: parent.right
            anchors.rightMargin: props.u20
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("HELP")
            onClicked: peltoQt.helpFilmCurveExtraction()
        }
    }

    ProfileAlert {
        id: errorAlert
        objectName: "filmCurveErrorAlert"
        title: qsTr("Film Curve Extraction")
        message: filmCurveExtraction.alertText
        picture: "qrc:/assets/profile/owl-sad.png"
        onOk: close()
    }
}
