import QtQuick 2.3
import QtQuick.XmlListModel 2.0

// The jobs of a jobs list of the controller ("/jobs/job").
XmlListModel {
    query: "/jobs/job"
    XmlRole { name: "jobName"; query: "jobName/string()" }
    XmlRole { name: "isC1InsteadOfDCP"; query: "isC1InsteadOfDCP = 'true'" }
    XmlRole { name: "jobEnabled"; query: "@enabled = 'true'" }
    XmlRole { name: "targetModel"; query: "model/string()" }
    XmlRole { name: "referenceName"; query: "referenceName/string()" }
    XmlRole { name: "profileType"; query: "profileType/string()" }
    XmlRole { name: "calculationSet"; query: "calculationSet/string()" }
    XmlRole { name: "qcSet"; query: "qcSet/string()" }
    XmlRole { name: "targetIcon"; query: "targetIcon/string()" }
    XmlRole { name: "targetTint"; query: "targetTint/string()" }
    XmlRole { name: "targetsCount"; query: "number(targetsCount)" }
    XmlRole { name: "currentTargetIndex"; query: "number(currentTargetIndex)" }
}
