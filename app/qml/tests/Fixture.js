.pragma library
// Shared helpers of the screen tests.

function findChild(item, name) {
    if (!item)
        return null;
    if (item.objectName === name)
        return item;
    var children = item.children ? Array.prototype.slice.call(item.children) : [];
    // A flickable lists its content's children; its content item is not among them.
    if (item.contentItem && children.indexOf(item.contentItem) < 0)
        children.push(item.contentItem);
    for (var i = 0; i < children.length; ++i) {
        var found = findChild(children[i], name);
        if (found)
            return found;
    }
    return null;
}

function pages(win) {
    return ["intro1", "introPage", "frontPage", "jobsSlide", "manageJobs", "targetsOverview", "selectTargets",
            "filmCurveMissing", "filmCurveExtraction", "profiling", "profilingProgress"].map(function (n) {
        return findChild(win.contentItem, n);
    });
}

function visiblePages(win) {
    return pages(win).filter(function (p) { return p && p.visible; }).map(function (p) { return p.objectName; });
}
