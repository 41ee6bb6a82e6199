import QtQuick 2.3
import QtTest 1.1
import "qrc:/qml/profile"

Item {
    id: root
    width: 800
    height: 600

    QAPatchInfo {
        id: info
    }

    TestCase {
        name: "PatchInfo"
        when: windowShown

        function setPatch(values) {
            var keys = ["limLG", "limCG", "limEG", "limE1", "limE2"]
            for (var i = 0; i < keys.length; ++i)
                qaPatchInfo[keys[i]] = undefined
            for (var key in values)
                qaPatchInfo[key] = values[key]
            qaPatchInfo.visible = true
        }
        function dot(name) { return findChild(info, name).verdict }
        function dotShown(name) { return findChild(info, name).parent.visible }

        function cleanup() {
            qaPatchInfo.visible = false
        }

        // Default limits while the keys are undefined: 2, 2, 3, 5 and 10.
        function test_dots_data() {
            return [
                { tag: "grey, all within", patch: { isGrey: true, delL: "1.9", delC: "1.9", delE: "3.0" },
                  dots: ["green", "green", "green"] },
                { tag: "grey, lightness at limit", patch: { isGrey: true, delL: "2.0", delC: "0.5", delE: "2.5" },
                  dots: ["red", "green", "green"] },
                { tag: "grey, chroma at limit", patch: { isGrey: true, delL: "0.5", delC: "-2.0", delE: "2.5" },
                  dots: ["green", "red", "green"] },
                { tag: "grey, negative lightness beyond", patch: { isGrey: true, delL: "-2.1", delC: "0", delE: "2.1" },
                  dots: ["red", "green", "red"] },
                { tag: "grey, colour difference beyond", patch: { isGrey: true, delL: "1", delC: "1", delE: "3.1" },
                  dots: ["green", "green", "red"] },
                { tag: "grey, limit from the key", patch: { isGrey: true, delL: "2.5", delC: "0", delE: "2.5",
                                                            limLG: 3, limEG: 4 },
                  dots: ["green", "green", "green"] },
                { tag: "grey, lightness equal to a set limit", patch: { isGrey: true, delL: "1.5", delC: "0",
                                                                       delE: "1.5", limLG: 1.5 },
                  dots: ["red", "green", "green"] },
                { tag: "colour, below first", patch: { isGrey: false, delL: "9", delC: "9", delE: "4.9" },
                  dots: ["", "", "green"] },
                { tag: "colour, at first", patch: { isGrey: false, delE: "5.0" }, dots: ["", "", "yellow"] },
                { tag: "colour, at second", patch: { isGrey: false, delE: "10.0" }, dots: ["", "", "red"] },
                { tag: "colour, limits from the keys", patch: { isGrey: false, delE: "6.0", limE1: 7, limE2: 8 },
                  dots: ["", "", "green"] }
            ]
        }
        function test_dots(data) {
            setPatch(data.patch)
            compare([dot("lightnessDot"), dot("chromaDot"), dot("overallDot")], data.dots)
            compare(dotShown("lightnessDot"), data.dots[0] !== "")
            compare(dotShown("chromaDot"), data.dots[1] !== "")
        }

        function test_values_and_swatches() {
            setPatch({ isGrey: false, refColor: "#05c8ff", profColor: "#04c7fe", refL: "50.1", profL: "49.8",
                       delL: "-0.3", avgDE: "1.2", delE: "0.4", maxDE: "3.1" })
            compare(findChild(info, "value_refL").text, "50.1")
            compare(findChild(info, "value_profL").text, "49.8")
            compare(findChild(info, "value_delL").text, "-0.3")
            compare(findChild(info, "value_avgDE").text, "1.2")
            compare(findChild(info, "value_delE").text, "0.4")
            compare(findChild(info, "value_maxDE").text, "3.1")
            compare(String(findChild(info, "refColorSwatch").color), "#05c8ff")
            compare(String(findChild(info, "profColorSwatch").color), "#04c7fe")
        }

        function test_above_in_lower_half() {
            setPatch({ isGrey: false, delE: "1" })
            qaPatchInfo.x = 400
            qaPatchInfo.y = 100
            verify(!info.above)
            verify(info.y > 100)
            qaPatchInfo.y = 500
            verify(info.above)
            verify(info.y + info.height < 500)
        }
    }
}
