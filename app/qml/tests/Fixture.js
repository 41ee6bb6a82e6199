.pragma library
// Shared helpers of the screen tests.

function findChild(item, name) {
    if (!item)
        return null;
    if (item.objectName === name)
        return item;
    var lists = [item.children, item.data, item.contentItem ? [item.contentItem] : []];
    for (var l = 0; l < lists.length; ++l) {
        var list = lists[l];
        if (!list)
            continue;
        for (var i = 0; i < list.length; ++i) {
            var found = findChild(list[i], name);
            if (found)
                return found;
        }
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
