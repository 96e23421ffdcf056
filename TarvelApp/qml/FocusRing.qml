import QtQuick
import Tarvel

// A ring around a control that has the keyboard's focus, drawn just outside its edges so
// it covers nothing. The style's own hint (a faint outline) is easy to miss.
Rectangle {
    objectName: "focusRing"
    anchors.fill: parent
    anchors.margins: -Theme.focusRingWidth
    z: 10
    radius: Theme.buttonRadius + Theme.focusRingWidth
    color: "transparent"
    border.width: Theme.focusRingWidth
    border.color: parent.palette.highlight
    visible: parent.visualFocus === true
}
