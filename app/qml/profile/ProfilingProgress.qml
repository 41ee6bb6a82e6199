import QtQuick 2.3
import "../misc/Theme.js" as Theme

// Placeholder page; its screen is built with the grid and profiling screens.
Rectangle {
    id: page
    objectName: "profilingProgress"
    property var clientTarget: null
    property bool qaMode: false
    property string alertText: ""
    color: Theme.page
    visible: false
    function show(arg) {
        if (typeof arg === "boolean")
            qaMode = arg;
        else if (arg !== undefined)
            clientTarget = arg;
        visible = true;
    }
    function hide() {
        visible = false;
    }
    function showAlert(text) {
        alertText = text;
    }
}
