.pragma library
// Colours shared by the screens.
var accent = "#0096d6";
var dark = "#343840";
var grey = "#969aa0";
var light = "#f2f3f5";
var line = "#d8dbe0";
var page = "#e9ebee";
var danger = "#dc3c32";
var font = "Roboto";
