import QtQuick 2.3
import QtQuick.Controls 1.2
import "Theme.js" as Theme

// A slider over 0 to maxpercent showing its value as a whole per cent.
Row {
    id: zoom
    property real maxpercent: 4.0
    property real value: 1.0
    signal zoomChanged(real value)
    spacing: props.u10
    function setValue(v) {
        value = Math.max(0, Math.min(maxpercent, v));
    }
    Slider {
        id: slider
        width: props.u150
        minimumValue: 0
        maximumValue: zoom.maxpercent
        value: zoom.value
        onValueChanged: {
            if (value !== zoom.value) {
                zoom.setValue(value);
                zoom.zoomChanged(zoom.value);
            }
        }
    }
    Text {
        text: qsTr("%1%").arg(Math.round(zoom.value * 100))
        color: Theme.dark
        font.family: Theme.font
        font.pixelSize: props.FT_14
    }
}
