import QtQuick 2.0
import QtQuick.XmlListModel 2.0
import QtTest 1.2

Item {
    id: root

    XmlListModel {
        id: allJobsModel
        xml: allJobs.xml
        query: "/jobs/job"
        XmlRole { name: "jobName"; query: "jobName/string()" }
        XmlRole { name: "enabled"; query: "@enabled/string()" }
        XmlRole { name: "targetsCount"; query: "targetsCount/string()" }
    }
    XmlListModel {
        id: enabledJobsModel
        xml: allEnabledJobs.xml
        query: "/jobs/job"
        XmlRole { name: "jobName"; query: "jobName/string()" }
    }
    XmlListModel {
        id: expertModel
        xml: currentJob.expert
        query: "/expertSettings/itemAll"
        XmlRole { name: "name"; query: "name/string()" }
        XmlRole { name: "value"; query: "value/string()" }
        XmlRole { name: "locked"; query: "locked/string()" }
    }
    XmlListModel {
        id: cameraModel
        xml: currentJob.expert
        query: "/expertSettings/itemCamera"
        XmlRole { name: "name"; query: "name/string()" }
    }
    XmlListModel {
        id: iccModel
        xml: currentJob.expert
        query: "/expertSettings/itemIcc"
        XmlRole { name: "name"; query: "name/string()" }
    }
    XmlListModel {
        id: infoModel
        xml: currentJob.info
        query: "/info/item"
        XmlRole { name: "name"; query: "name/string()" }
        XmlRole { name: "value"; query: "value/string()" }
    }

    function names(model) {
        var out = [];
        for (var i = 0; i < model.count; ++i)
            out.push(model.get(i).jobName);
        return out.sort();
    }

    TestCase {
        name: "ControllerScreens"

        function test_1_everyJobListed() {
            tryCompare(allJobsModel, "status", XmlListModel.Ready);
            compare(allJobsModel.count, 3);
            compare(names(allJobsModel), ["Plain", "Smith & Sons", "Three targets"]);
            tryCompare(enabledJobsModel, "status", XmlListModel.Ready);
            compare(enabledJobsModel.count, 3);
            compare(allJobsModel.get(0).enabled, "true");
        }

        function test_2_selectAndPublish() {
            if (peltoQt.setCurrentJob("Smith & Sons", "tileView", false))
                peltoQt.refreshCurrentJob4UI();
            compare(currentJob.name, "Smith & Sons");
            // Items of every workflow are listed under each workflow's tab;
            // the "all" tab is removed (expertRemoveAllTab) and lists nothing.
            tryCompare(expertModel, "status", XmlListModel.Ready);
            compare(expertModel.count, 0);
            verify(currentJob.expertRemoveAllTab);
            tryCompare(cameraModel, "status", XmlListModel.Ready);
            verify(cameraModel.count > 0);
            tryCompare(iccModel, "status", XmlListModel.Ready);
            verify(iccModel.count > 0);
            peltoQt.infoParamChanged("CREATOR", "R&D <lab>");
            tryCompare(infoModel, "status", XmlListModel.Ready);
            tryVerify(function() {
                for (var i = 0; i < infoModel.count; ++i)
                    if (infoModel.get(i).value === "R&D <lab>")
                        return true;
                return false;
            });
        }

        function test_3_disableHidesFromEnabledList() {
            peltoQt.jobDisabled("Plain");
            tryCompare(enabledJobsModel, "count", 2);
            peltoQt.jobEnabled("Plain");
            tryCompare(enabledJobsModel, "count", 3);
        }

        function test_4_sets() {
            compare(allSets.list, "A&B");
            verify(peltoQt.doesSetExist("A&B (*)"));
            peltoQt.applySet("A&B");
            compare(currentJob.expertSetName, "A&B");
            verify(peltoQt.saveSet("Studio v1.2"));
            compare(allSets.list, "A&B|Studio v1.2");
        }
    }
}
