import QtQuick 2.3
import QtQuick.XmlListModel 2.0

// The target templates ("/targets/target" of allTargets).
XmlListModel {
    query: "/targets/target"
    XmlRole { name: "name"; query: "name/string()" }
    XmlRole { name: "targetModel"; query: "model/string()" }
    XmlRole { name: "referenceName"; query: "referenceName/string()" }
    XmlRole { name: "referenceFolder"; query: "referenceFolder/string()" }
    XmlRole { name: "profileType"; query: "profileType/string()" }
    XmlRole { name: "calculationSet"; query: "calculationSet/string()" }
    XmlRole { name: "qcSet"; query: "qcSet/string()" }
    XmlRole { name: "targetIcon"; query: "targetIcon/string()" }
    XmlRole { name: "targetSelected"; query: "@selected = 'true'" }
    XmlRole { name: "patches"; query: "number(patches)" }
    XmlRole { name: "manufacturer"; query: "manufacturer/string()" }
    XmlRole { name: "columns"; query: "number(columns)" }
    XmlRole { name: "rows"; query: "number(rows)" }
}
