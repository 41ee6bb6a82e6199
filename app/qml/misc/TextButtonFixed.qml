import QtQuick 2.3

// A text button of a fixed width.
TextButton {
    property int fixedWidth: props.u150
    width: fixedWidth
}
