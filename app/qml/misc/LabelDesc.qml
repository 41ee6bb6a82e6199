import QtQuick 2.3
import "Theme.js" as Theme

// A small grey caption.
Text {
    color: Theme.grey
    font.family: Theme.font
    font.pixelSize: props.FT_14
    elide: Text.ElideRight
}
