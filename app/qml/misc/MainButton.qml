import QtQuick 2.3
import "Theme.js" as Theme

// The filled button of a page's main action.
TextButton {
    filled: true
    textColor: Theme.accent
    height: props.u50
    padding: props.u30
}
