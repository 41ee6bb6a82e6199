import QtQuick 2.3
import QtTest 1.1
import "../script.js" as Script

// The value lists of the expert-setting combos and the combo support.
TestCase {
    name: "ComboLists"

    QtObject {
        id: msg
        property string list: ""
        property var listModel: ListModel {}
        property int listOffset: -1
        property int longest: 0
        property string defaultValue: ""
        property string title: ""
        property string infoTitle: ""
        property string info: ""
    }

    function values(name) {
        return Script.comboList(name).entries.map(function (e) { return e.value; });
    }

    function test_values_data() {
        return [
            { tag: "cameraIlluminant", values: ["As Shot", "D65 + Std. Illuminant A"], title: "TEMPERATURE" },
            { tag: "ICCIlluminant", values: ["CIE_D50", "Standard Illuminants", "Fluorescent Illuminants", "Custom Illuminants"], title: "ILLUMINANTS" },
            { tag: "illuminants_standard", values: ["CIE_A", "CIE_B", "CIE_C", "CIE_D50", "CIE_D55", "CIE_D65", "CIE_D75", "CIE_E"], title: "" },
            { tag: "illuminants_fluorecent", values: ["CIE_F1", "CIE_F2", "CIE_F3", "CIE_F4", "CIE_F5", "CIE_F6", "CIE_F7", "CIE_F8", "CIE_F9", "CIE_F10", "CIE_F11", "CIE_F12"], title: "" },
            { tag: "profileType", values: ["Art Repro / Archival", "Photography", "Scanner"], title: "PROFILE TYPE" },
            { tag: "profileTypeCamera", values: ["Art Repro / Archival", "Repro+", "Photography"], title: "PROFILE TYPE" },
            { tag: "profileTypeC1", values: ["Photography Linear Response"], title: "PROFILE TYPE" },
            { tag: "profileTypeICC", values: ["Art Repro / Archival", "Photography", "Scanner"], title: "PROFILE TYPE" },
            { tag: "exposureOffset", values: ["None", "0.5", "1", "1.5", "2"], title: "EXPOSURE OFFSET" },
            { tag: "shading", values: ["On", "Off"], title: "SHADING" },
            { tag: "batchMode", values: ["On", "Off"], title: "BATCH MODE" },
            { tag: "profileOptimization", values: ["ΔE 76", "ΔE 94", "ΔE 2000", "ΔE 2000L"], title: "PROFILE OPTIMIZATION" },
            { tag: "whitePoint", values: ["None", "Auto Exposure"], title: "WHITE POINT/EXP.COMP" },
            { tag: "connectionSpace", values: ["XYZ", "Lab"], title: "CONNECTION SPACE" },
            { tag: "grayWeight", values: ["Auto", "More", "Much More"], title: "GRAY WEIGHT" },
            { tag: "qualityControl", values: ["FADGI", "Metamorfoze", "Default"], title: "QUALITY CONTROL" },
            { tag: "observer", values: ["2-Degree", "10-Degree"], title: "OBSERVER" }
        ];
    }
    function test_values(data) {
        compare(values(data.tag), data.values);
        compare(Script.comboList("cb" + data.tag).title, data.title);
    }

    function test_labels() {
        compare(Script.getLabelFromValue("exposureOffset", "None"), "None ");
        compare(Script.getLabelFromValue("ICCIlluminant", "CIE_D50"), "CIE D50");
        compare(Script.getLabelFromValue("ICCIlluminant", "CIE_F7"), "CIE_F7");
        compare(Script.getLabelFromValue("observer", "3-Degree"), "3-Degree");
        compare(Script.getLabelFromValue("noSuchList", "value"), "value");
        compare(Script.getLabelFromValue("cbwhitePoint", "Auto Exposure"), "Auto Exposure");
    }

    function test_info() {
        compare(Script.comboList("profileOptimization").info, "Color error is defined in ∆E. ∆E2000L is the newest formula.");
        compare(Script.comboList("shading").info, "");
        compare(Script.comboList("profileTypeC1").info, Script.comboList("profileType").info);
    }

    function test_listOffset_data() {
        return [
            { tag: "one", list: "profileTypeC1", offset: 0 },
            { tag: "two", list: "observer", offset: 1 },
            { tag: "three", list: "grayWeight", offset: 1 },
            { tag: "four", list: "ICCIlluminant", offset: 2 },
            { tag: "five", list: "exposureOffset", offset: 2 }
        ];
    }
    function test_listOffset(data) {
        msg.list = data.list;
        Script.initStaticListModel(msg);
        compare(msg.listOffset, data.offset);
        compare(msg.listModel.count, values(data.list).length);
    }

    function test_modelFields() {
        msg.list = "ICCIlluminant";
        Script.initStaticListModel(msg);
        compare(msg.defaultValue, "Standard Illuminants");
        compare(msg.title, "ILLUMINANTS");
        compare(msg.infoTitle, "Illuminant");
        compare(msg.longest, "Fluorescent Illuminants".length);
        compare(msg.listModel.get(1).list, "illuminants_standard");
        msg.list = "connectionSpace";
        Script.initStaticListModel(msg);
        compare(msg.longest, 4);
        compare(msg.defaultValue, "");
    }

    function test_dynamicAndCustom() {
        Script.initDynamicListModel("Set A|Set B||Set C", msg);
        compare(msg.listModel.count, 3);
        compare(msg.listModel.get(2).value, "Set C");
        compare(msg.listModel.get(2).label, "Set C");
        Script.initDynamicListModel("", msg);
        compare(msg.listModel.count, 0);
        compare(msg.listOffset, 1);
        peltoQt.setAnswer("getCustomIlluminants", "Studio LED|Tungsten 3200");
        compare(values("illuminants_custom"), ["Studio LED", "Tungsten 3200"]);
        peltoQt.setAnswer("getCustomIlluminants", "");
        compare(values("illuminants_custom"), []);
    }

    function test_names() {
        verify(Script.isValidName("Smith & Sons"));
        verify(Script.isValidName("Überprüfung Δ"));
        verify(!Script.isValidName("a/b"));
        verify(!Script.isValidName("a:b"));
        verify(!Script.isValidName("what?"));
        verify(!Script.isValidName("   "));
    }

    function test_targetIconUrl_data() {
        return [
            { tag: "plain", name: "Studio", url: "image://targets/Studio.0" },
            { tag: "dots", name: "Repro 1.5", url: "image://targets/Repro%201.5.0" },
            { tag: "cutting", name: "A#1?%", url: "image://targets/A%231%3F%25.0" },
        ];
    }

    function test_targetIconUrl(data) {
        compare(Script.targetIconUrl(data.name, 0), data.url);
    }
}
