import QtQuick
import Tarvel

// A ring around a control that has the keyboard's focus, drawn just outside its edges so
// it covers nothing. The style's own hint (a faint outline) is easy to miss.
Rectangle {
    objectName: "focusRing"
    property bool shown: parent.visualFocus === true

    anchors.fill: parent
    anchors.margins: -2
    z: 10
    radius: Theme.buttonRadius + 2
    color: "transparent"
    border.width: 2
    border.color: parent.palette.highlight
    visible: shown
}
