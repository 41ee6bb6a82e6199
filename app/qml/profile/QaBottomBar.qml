import QtQuick 2.3
import QtQuick.Controls 1.2
import "profilerules.js" as Rules

// Bottom bar of the quality-control page.
Rectangle {
    id: bar
    // The image item.
    property var target: null
    readonly property string profileFullName: Rules.text(currentJob.profileNamePrefix) + Rules.text(currentJob.profileName)
    readonly property var profiles: Rules.text(allProfiles.list) === "" ? [] : Rules.text(allProfiles.list).split("|")
    property alias compareCheck: compareCheck
    property alias compareCombo: compareCombo
    signal restartClicked()
    signal backClicked()
    signal quitClicked()

    color: "white"
    implicitHeight: props.u80

    function indexOfProfile(name) {
        for (var i = 0; i < profiles.length; ++i) {
            if (profiles[i] === name)
                return i
        }
        return -1
    }
    function reselectCompareProfile() {
        var i = indexOfProfile(Rules.text(currentJob.compareProfileName))
        if (compareCombo.currentIndex !== i)
            compareCombo.currentIndex = i
    }

    Rectangle {
        anchors.top: parent.top
        width: parent.width
        height: 1
        color: "#dcdcdc"
    }

    Row {
        anchors.left: parent.left
        anchors.leftMargin: props.u20
        anchors.verticalCenter: parent.verticalCenter
        spacing: props.u10
        ProfileIconButton {
            objectName: "qaRestart"
            anchors.verticalCenter: parent.verticalCenter
            source: "qrc:/assets/profile/restart.png"
            onClicked: bar.restartClicked()
        }
        ProfileButton {
            objectName: "qaBack"
            anchors.verticalCenter: parent.verticalCenter
            implicitWidth: props.u80
            text: qsTr("BACK")
            onClicked: bar.backClicked()
        }
    }

    Row {
        anchors.centerIn: parent
        spacing: props.u30

        Column {
            spacing: props.u5
            Text {
                text: qsTr("DELTA-E QUALITY CHECK")
                font.pixelSize: props.FT_12
                font.bold: true
                color: "#8c8f96"
            }
            Row {
                spacing: props.u10
                Repeater {
                    model: [
                        { key: "greenDelta", colour: "#3cb44b", name: "greenCheck" },
                        { key: "yellowDelta", colour: "#f2c500", name: "yellowCheck" },
                        { key: "redDelta", colour: "#e03c31", name: "redCheck" }
                    ]
                    delegate: Rectangle {
                        readonly property bool checked: bar.target ? bar.target[modelData.key] === true : false
                        objectName: modelData.name
                        width: props.u30
                        height: props.u30
                        radius: props.u5
                        color: checked ? modelData.colour : "white"
                        border.color: modelData.colour
                        border.width: 2
                        Text {
                            anchors.centerIn: parent
                            visible: parent.checked
                            text: "\u2713"
                            color: "white"
                            font.pixelSize: props.FT_18
                            font.bold: true
                        }
                        MouseArea {
                            anchors.fill: parent
                            onClicked: if (bar.target) bar.target[modelData.key] = !parent.checked
                        }
                    }
                }
            }
        }

        Column {
            spacing: props.u5
            Text {
                text: qsTr("PROFILE NAME")
                font.pixelSize: props.FT_12
                font.bold: true
                color: "#8c8f96"
            }
            Row {
                spacing: props.u5
                Text {
                    objectName: "qaProfileName"
                    anchors.verticalCenter: parent.verticalCenter
                    width: Math.min(implicitWidth, props.u250)
                    elide: Text.ElideMiddle
                    text: bar.profileFullName
                    font.pixelSize: props.FT_16
                    color: "#303236"
                }
                ProfileIconButton {
                    objectName: "showProfile"
                    implicitWidth: props.u30
                    implicitHeight: props.u30
                    anchors.verticalCenter: parent.verticalCenter
                    source: "qrc:/assets/profile/folder.png"
                    onClicked: peltoQt.showProfileInFinder(bar.profileFullName)
                }
            }
        }

        Column {
            spacing: props.u5
            Row {
                spacing: props.u5
                CheckBox {
                    id: compareCheck
                    objectName: "compareCheck"
                    anchors.verticalCenter: parent.verticalCenter
                    // Nothing to compare: the job has no other profile of its kind.
                    enabled: checked || bar.profiles.length > 0
                    onClicked: {
                        peltoQt.setCompareProfileActiveChecked(checked)
                        bar.reselectCompareProfile()
                    }
                }
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("COMPARE PROFILE")
                    font.pixelSize: props.FT_12
                    font.bold: true
                    color: "#8c8f96"
                }
            }
            ComboBox {
                id: compareCombo
                objectName: "compareCombo"
                width: props.u250
                model: bar.profiles
                onActivated: peltoQt.selectedProfileCompareChanged(bar.profiles[index])
                onModelChanged: bar.reselectCompareProfile()
            }
        }
    }

    ProfileButton {
        objectName: "qaQuit"
        anchors.right: parent.right
        anchors.rightMargin: props.u20
        anchors.verticalCenter: parent.verticalCenter
        text: qsTr("QUIT")
        onClicked: bar.quitClicked()
    }
}
