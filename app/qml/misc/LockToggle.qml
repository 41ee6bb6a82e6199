import QtQuick 2.3

// LOCKED, UNLOCKED or FROZEN (a fixed lock that cannot be clicked).
Item {
    id: lock
    property string lockState: "UNLOCKED"
    property string tipTitle: ""
    property string tipMessage: ""
    signal lockChanged(bool locked)
    width: props.u30
    height: props.u30
    Image {
        anchors.fill: parent
        source: lock.lockState === "LOCKED" ? "qrc:/assets/lock-locked.png"
              : (lock.lockState === "FROZEN" ? "qrc:/assets/lock-fixed.png" : "qrc:/assets/lock-unlocked.png")
    }
    MouseArea {
        anchors.fill: parent
        enabled: lock.lockState !== "FROZEN"
        cursorShape: Qt.PointingHandCursor
        onClicked: {
            lock.lockState = lock.lockState === "LOCKED" ? "UNLOCKED" : "LOCKED";
            if (lock.lockState === "LOCKED" && lock.tipTitle !== "")
                tip.show();
            lock.lockChanged(lock.lockState === "LOCKED");
        }
    }
    ToolTip {
        id: tip
        title: lock.tipTitle
        message: lock.tipMessage
        y: lock.height
        x: -props.u20
    }
}
