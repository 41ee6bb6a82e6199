import QtQuick 2.3
import QtTest 1.1
import CppImage 1.0
import "qrc:/qml/profile"

Item {
    id: root
    width: 1200
    height: 800

    CppImageWidget { id: item }
    ProfilingProgress {
        id: page
        anchors.fill: parent
    }

    TestCase {
        name: "ProfilingProgress"
        when: windowShown

        function findChild(parentItem, name) {
            if (parentItem.objectName === name)
                return parentItem
            for (var i = 0; i < parentItem.children.length; ++i) {
                var found = findChild(parentItem.children[i], name)
                if (found)
                    return found
            }
            return null
        }
        function bars() {
            return [findChild(page, "progressBar0").shownValue, findChild(page, "progressBar1").shownValue,
                    findChild(page, "progressBar2").shownValue]
        }

        function init() {
            peltoQt.clearCalls()
            item.clearActions()
            page.show(item)
        }
        function cleanup() {
            currentJob.alertWarningTitle = ""
            currentJob.alertCriticalTitle = ""
            currentJob.alertInformationTitle = ""
            page.hide()
        }

        function test_bars_data() {
            return [
                { tag: "start", value: 0, bars: [0, 0, 0] },
                { tag: "first third", value: 20, bars: [60, 0, 0] },
                { tag: "middle", value: 50, bars: [100, 51, 0] },
                { tag: "text from the item", value: "50", bars: [100, 51, 0] },
                { tag: "last third", value: 80, bars: [100, 100, 42] },
                { tag: "done, clamped", value: 100, bars: [100, 100, 100] },
                { tag: "beyond, clamped", value: 140, bars: [100, 100, 100] },
                { tag: "negative", value: -5, bars: [0, 0, 0] }
            ]
        }
        function test_bars(data) {
            currentJob.progressValue = data.value
            compare(bars(), data.bars)
        }

        function test_text() {
            currentJob.progressValue = "33.3333"
            compare(findChild(page, "progressText").text, "33% complete")
        }

        function test_cancel_hides_at_99() {
            var cancel = findChild(page, "cancelProfiling")
            currentJob.progressValue = 98
            verify(cancel.visible)
            currentJob.progressValue = 99
            verify(!cancel.visible)
        }

        function test_cancel_sets_action() {
            currentJob.progressValue = 40
            var cancel = findChild(page, "cancelProfiling")
            mouseClick(cancel)
            compare(item.actions, ["cancelProfiling"])
        }

        function test_alert_routing_data() {
            return [
                { tag: "warning", key: "alertWarningTitle", alert: "alertWarning", call: "Script.goProfiling(false)" },
                { tag: "critical", key: "alertCriticalTitle", alert: "alertCritical", call: "Script.goProfiling(false)" },
                { tag: "information", key: "alertInformationTitle", alert: "alertInformation",
                  call: "Script.goProfiling(true)" }
            ]
        }
        function test_alert_routing(data) {
            currentJob[data.key] = "Title"
            var alert = findChild(page, data.alert)
            verify(alert.visible)
            mouseClick(findChild(alert, "alertOk"))
            compare(currentJob[data.key], "")
            verify(!alert.visible)
            compare(peltoQt.calls, [data.call])
        }

        function test_alert_hidden_while_page_hidden() {
            page.hide()
            currentJob.alertWarningTitle = "Aborted by user"
            verify(!findChild(page, "alertWarning").visible)
        }
    }
}
