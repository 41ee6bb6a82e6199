import QtQuick 2.3
import "Theme.js" as Theme

// A vertical scroll indicator bound to a flickable.
Item {
    id: scrollBar
    property Flickable flickable
    width: props.u5 * 2
    visible: flickable !== null && flickable.visibleArea.heightRatio < 1.0
    Rectangle {
        width: parent.width
        radius: width / 2
        color: Theme.grey
        opacity: 0.6
        y: scrollBar.flickable ? scrollBar.flickable.visibleArea.yPosition * scrollBar.height : 0
        height: scrollBar.flickable ? Math.max(props.u20, scrollBar.flickable.visibleArea.heightRatio * scrollBar.height) : 0
    }
}
