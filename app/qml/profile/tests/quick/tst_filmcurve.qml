import QtQuick 2.3
import QtTest 1.1
import "qrc:/qml/profile"

Item {
    id: root
    width: 1200
    height: 800

    FilmCurveMissing {
        id: missing
        anchors.fill: parent
    }
    FilmCurveExtraction {
        id: extraction
        anchors.fill: parent
    }

    TestCase {
        name: "FilmCurve"
        when: windowShown

        function init() {
            peltoQt.clearCalls()
            currentJob.C1TifProgress = 0
        }
        function cleanup() {
            missing.hide()
            extraction.hide()
        }

        function test_missing_texts_and_buttons() {
            missing.show()
            var alert = findChild(missing, "filmCurveMissingAlert")
            compare(findChild(alert, "alertTitle").text, "Could not find a Film Curve!")
            compare(findChild(alert, "alertMessage").text,
                    "Please load the corresponding TIFF processed in Capture One with these settings:\n"
                    + "ICC Profile: 'Embed camera profile'\nCurve: 'Linear Response'")
            mouseClick(findChild(alert, "alertCancel"))
            mouseClick(findChild(alert, "alertOk"))
            compare(peltoQt.calls, ["helpFilmCurveExtraction()", "Script.goFilmCurveExtraction()"])
        }

        function test_extraction_progress_data() {
            return [
                { tag: "idle", value: 0, shown: false },
                { tag: "loading", value: 42, shown: true },
                { tag: "done", value: 100, shown: false }
            ]
        }
        function test_extraction_progress(data) {
            extraction.show()
            currentJob.C1TifProgress = data.value
            compare(findChild(extraction, "c1Progress").visible, data.shown)
            compare(findChild(extraction, "c1ProgressText").visible, data.shown)
            if (data.shown)
                compare(findChild(extraction, "c1ProgressText").text, "42%")
        }

        function test_extraction_error_texts_data() {
            return [
                { tag: "unreadable", text: "Could not read the Capture One TIFF!" },
                { tag: "not from C1", text: "File is not a Capture One TIFF!" },
                { tag: "other camera", text: "File is from wrong camera!" },
                { tag: "aspect ratio", text: "File has wrong aspect ratio!" }
            ]
        }
        function test_extraction_error_texts(data) {
            extraction.show()
            extraction.showAlert(data.text)
            var alert = findChild(extraction, "filmCurveErrorAlert")
            verify(alert.visible)
            compare(findChild(alert, "alertMessage").text, data.text)
            mouseClick(findChild(alert, "alertOk"))
            verify(!alert.visible)
        }

        function test_extraction_back_and_help() {
            extraction.show()
            mouseClick(findChild(extraction, "filmCurveHelp"))
            mouseClick(findChild(extraction, "filmCurveBack"))
            compare(peltoQt.calls, ["helpFilmCurveExtraction()", "resetRuntime(false,true)",
                                    "Script.goFrontPage(false)"])
        }
    }
}
