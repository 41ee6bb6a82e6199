import QtQuick 2.9
import "profilerules.js" as Rules

// Bottom bar of the grid page: the profile name (fixed prefix, editable name,
// tag), back and forward. The owner decides what back and forward do.
// (QtQuick 2.9 for the text field's textEdited.)
Rectangle {
    id: bar
    property bool expertEnabled: false
    property bool onLastTarget: true
    readonly property string prefix: Rules.text(currentJob.profileNamePrefix)
    readonly property string jobProfileName: Rules.text(currentJob.profileName)
    property alias name: nameField.text
    readonly property string forwardText: (expertEnabled || !onLastTarget) ? qsTr("NEXT") : qsTr("START PROFILING")
    signal backClicked()
    signal forwardClicked()

    color: "white"
    implicitHeight: props.u80

    // The name follows the job's name without disturbing the cursor while
    // the user types (the controller writes back what it was given). A name
    // from the job that holds refused characters is handed back without them.
    function followJobName() {
        var clean = Rules.stripRefused(jobProfileName)
        if (nameField.text !== clean)
            nameField.text = clean
        if (clean !== jobProfileName)
            Qt.callLater(handBackName)
    }
    function handBackName() {
        peltoQt.setProfileName(prefix + nameField.text, prefix.length)
    }
    onJobProfileNameChanged: followJobName()
    Component.onCompleted: followJobName()

    Rectangle {
        anchors.top: parent.top
        width: parent.width
        height: 1
        color: "#dcdcdc"
    }

    ProfileButton {
        id: backButton
        objectName: "gridBack"
        anchors.left: parent.left
        anchors.leftMargin: props.u20
        anchors.verticalCenter: parent.verticalCenter
        text: qsTr("BACK")
        onClicked: bar.backClicked()
    }

    Column {
        anchors.centerIn: parent
        spacing: props.u5
        Text {
            text: qsTr("PROFILE NAME")
            font.pixelSize: props.FT_12
            font.bold: true
            color: "#8c8f96"
        }
        Rectangle {
            width: props.u500
            height: props.u35
            radius: props.u5
            color: "#f4f4f4"
            border.color: nameField.activeFocus ? "#e8712c" : "#c8c8c8"
            Row {
                anchors.fill: parent
                anchors.leftMargin: props.u10
                anchors.rightMargin: props.u10
                spacing: 0
                Text {
                    id: prefixText
                    objectName: "profileNamePrefix"
                    anchors.verticalCenter: parent.verticalCenter
                    text: bar.prefix
                    font.pixelSize: props.FT_16
                    color: "#8c8f96"
                }
                TextInput {
                    id: nameField
                    objectName: "profileName"
                    anchors.verticalCenter: parent.verticalCenter
                    width: parent.width - prefixText.width - tagText.width
                    clip: true
                    selectByMouse: true
                    font.pixelSize: props.FT_16
                    color: "#303236"
                    validator: RegExpValidator { regExp: Rules.acceptedName }
                    onTextEdited: peltoQt.setProfileName(bar.prefix + text, bar.prefix.length)
                }
                Text {
                    id: tagText
                    objectName: "profileNameTag"
                    anchors.verticalCenter: parent.verticalCenter
                    text: Rules.text(currentJob.profileNameTag) === "" ? "" : "  " + Rules.text(currentJob.profileNameTag)
                    font.pixelSize: props.FT_14
                    font.bold: true
                    color: "#e8712c"
                }
            }
            MouseArea {
                anchors.fill: parent
                acceptedButtons: Qt.NoButton
                cursorShape: Qt.IBeamCursor
            }
        }
    }

    ProfileButton {
        id: forwardButton
        objectName: "gridForward"
        anchors.right: parent.right
        anchors.rightMargin: props.u20
        anchors.verticalCenter: parent.verticalCenter
        primary: true
        implicitWidth: props.u180
        text: bar.forwardText
        onClicked: bar.forwardClicked()
    }
}
