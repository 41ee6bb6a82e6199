import QtQuick 2.0
import QtTest 1.2
import "../../../qml/script.js" as Script

// Where the files of one drop go on a job of three targets with one, two or
// three of them still waiting for a shot, as the front page's drop hands
// them over.
TestCase {
    name: "ShotDrops"

    function file(name) { return shotsFolder + "/" + name; }

    // Each row: targets waiting, the files dropped (names in the shots folder
    // or whole URLs), and per file its target (1-based, 0 refused) and outcome.
    function test_distribution_data() {
        return [
            { tag: "1 waiting, 1 file", waiting: 1, files: ["a.tif"], want: ["3 added"] },
            { tag: "1 waiting, 2 files", waiting: 1, files: ["a.tif", "b.dng"], want: ["3 added", "3 further"] },
            { tag: "1 waiting, 4 files", waiting: 1, files: ["a.tif", "b.dng", "c.jpg", "d.tif"],
              want: ["3 added", "3 further", "3 further", "3 further"] },
            { tag: "2 waiting, 1 file", waiting: 2, files: ["a.tif"], want: ["2 added"] },
            { tag: "2 waiting, 2 files", waiting: 2, files: ["a.tif", "b.dng"], want: ["2 added", "3 added"] },
            { tag: "2 waiting, 3 files", waiting: 2, files: ["a.tif", "b.dng", "c.jpg"],
              want: ["2 added", "3 added", "3 further"] },
            { tag: "3 waiting, 1 file", waiting: 3, files: ["a.tif"], want: ["1 added"] },
            { tag: "3 waiting, 2 files", waiting: 3, files: ["a.tif", "b.dng"], want: ["1 added", "2 added"] },
            { tag: "3 waiting, 3 files", waiting: 3, files: ["a.tif", "b.dng", "c.jpg"],
              want: ["1 added", "2 added", "3 added"] },
            { tag: "3 waiting, 4 files", waiting: 3, files: ["a.tif", "b.dng", "c.jpg", "d.tif"],
              want: ["1 added", "2 added", "3 added", "3 further"] },
            { tag: "3 waiting, a folder first", waiting: 3, files: ["Folder", "a.tif", "b.dng"],
              want: ["0 folder", "1 added", "2 added"] },
            { tag: "2 waiting, a web address among", waiting: 2,
              files: ["a.tif", "https://example.com/chart.tif", "b.dng"],
              want: ["2 added", "0 notLocal", "3 added"] },
            { tag: "3 waiting, a non-image among", waiting: 3, files: ["a.tif", "notes.pdf", "b.dng", "c.jpg"],
              want: ["1 added", "0 notImage", "2 added", "3 added"] },
            { tag: "1 waiting, the same file twice", waiting: 1, files: ["a.tif", "a.tif", "b.dng"],
              want: ["3 added", "0 twice", "3 further"] },
            { tag: "2 waiting, a file that is gone", waiting: 2, files: ["gone.tif", "a.tif"],
              want: ["0 missing", "2 added"] },
            { tag: "3 waiting, nothing usable", waiting: 3,
              files: ["Folder", "notes.pdf", "https://example.com/x.jpg"],
              want: ["0 folder", "0 notImage", "0 notLocal"] },
        ];
    }

    function test_distribution(row) {
        Script.selectJob("Three targets", "dropped", true);
        compare(currentJob.name, "Three targets");
        peltoQt.resetRuntime(false, false);
        for (var i = 0; i < 3 - row.waiting; ++i)
            verify(peltoQt.selectNextTarget4Drop());
        currentJob.alertWarningTitle = "";
        currentJob.alertInformationTitle = "";

        var urls = row.files.map(function (name) { return name.indexOf("://") > 0 ? name : file(name); });
        var taken = row.want.filter(function (w) { return w.charAt(0) !== "0"; }).length;
        compare(Script.dropShots("Three targets", urls), taken);

        // The same drop through the controller's answer, file by file.
        peltoQt.resetRuntime(false, false);
        for (i = 0; i < 3 - row.waiting; ++i)
            peltoQt.selectNextTarget4Drop();
        var outcomes = peltoQt.dropShots(urls);
        compare(outcomes.length, row.files.length);
        var got = outcomes.map(function (o) { return (o.target + 1) + " " + o.outcome; });
        compare(got, row.want);

        // Refused files are named in a warning, further shots in a note.
        var refused = row.want.filter(function (w) { return w.charAt(0) === "0"; }).length;
        var further = row.want.filter(function (w) { return w.indexOf("further") > 0; }).length;
        if (refused > 0) {
            compare(currentJob.alertWarningTitle, "Not every file was taken");
            verify(String(currentJob.alertWarningMessage).split("\n").length === refused + further,
                   currentJob.alertWarningMessage);
        } else if (further > 0) {
            compare(currentJob.alertInformationTitle, "Further shots");
        } else {
            compare(currentJob.alertWarningTitle, "");
            compare(currentJob.alertInformationTitle, "");
        }
    }
}
