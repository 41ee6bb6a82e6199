import QtQuick 2.3
import QtQuick.Controls 1.2
import "Theme.js" as Theme

// A caption above a text field.
Column {
    id: field
    property alias title: caption.text
    property alias text: input.text
    property alias placeholderText: input.placeholderText
    property alias input: input
    signal edited(string text)
    spacing: props.u5
    LabelDesc {
        id: caption
    }
    TextField {
        id: input
        width: field.width
        font.family: Theme.font
        font.pixelSize: props.FT_16
        onTextChanged: if (activeFocus) field.edited(text)
    }
}
