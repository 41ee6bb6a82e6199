import QtQuick 2.3
import "Theme.js" as Theme

// A value under a caption.
Text {
    color: Theme.dark
    font.family: Theme.font
    font.weight: Font.Medium
    font.pixelSize: props.FT_18
    elide: Text.ElideRight
}
