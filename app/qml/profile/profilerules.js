.pragma library
// Rules of the profiling pages that hold no state: the profile name's refused
// characters, the three progress bars and the quality dots.

// Characters a file name cannot hold on the platforms the profiles go to.
var refusedNameCharacters = /[\\\/:*?"<>|]/g;
var acceptedName = /[^\\\/:*?"<>|]*/;

function stripRefused(text) {
    return String(text === undefined || text === null ? "" : text).replace(refusedNameCharacters, "");
}

function clampPercent(value) {
    if (isNaN(value))
        return 0;
    return Math.max(0, Math.min(100, value));
}

function toNumber(value) {
    var v = Number(value);
    return isNaN(v) ? 0 : v;
}

// The three bars fill one after the other; each stays within 0..100.
function progressBar(which, value) {
    var v = toNumber(value);
    if (which === 0)
        return clampPercent(v < 33 ? 3 * v : 100);
    if (which === 1)
        return clampPercent(v < 33 ? 0 : (v < 66 ? 3 * (v - 33) : 100));
    return clampPercent(v < 66 ? 0 : 3 * (v - 66));
}

// A quality limit, or its default while the key is not set.
function limit(value, fallback) {
    if (value === undefined || value === null || value === "")
        return fallback;
    var v = Number(value);
    return isNaN(v) ? fallback : v;
}

function limits(info) {
    return {
        lg: limit(info.limLG, 2),
        cg: limit(info.limCG, 2),
        eg: limit(info.limEG, 3),
        e1: limit(info.limE1, 5),
        e2: limit(info.limE2, 10)
    };
}

function isTrue(value) {
    return value === true || value === "true";
}

// "green", "yellow" or "red" for the lightness, chroma and overall dots of a
// patch; the first two are empty for a patch that is not neutral.
function dots(info) {
    var lim = limits(info);
    var dl = Math.abs(toNumber(info.delL));
    var dc = Math.abs(toNumber(info.delC));
    var de = toNumber(info.delE);
    if (isTrue(info.isGrey)) {
        return {
            lightness: dl < lim.lg ? "green" : "red",
            chroma: dc < lim.cg ? "green" : "red",
            overall: (dl <= lim.lg && dc <= lim.cg && de <= lim.eg) ? "green" : "red"
        };
    }
    return {
        lightness: "",
        chroma: "",
        overall: de < lim.e1 ? "green" : (de < lim.e2 ? "yellow" : "red")
    };
}

function dotColor(name) {
    if (name === "green")
        return "#3cb44b";
    if (name === "yellow")
        return "#f2c500";
    if (name === "red")
        return "#e03c31";
    return "transparent";
}

function text(value) {
    return value === undefined || value === null ? "" : String(value);
}
