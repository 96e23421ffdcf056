import QtQuick
import QtQuick.Controls
import Tarvel

// A button with one of the app's icons (icon.source, from the presenter), drawn in the
// button's own text colour so it greys out with the title when disabled. A button with
// a toolTipText shows it, as plain text, while the pointer rests on it. Every button shows
// a ring while it has the keyboard's focus.
Button {
    id: button

    property string toolTipText

    icon.color: highlighted ? palette.highlightedText : palette.buttonText
    // Qt 6.4 tells screen readers no Qt Quick item's disabled state: the button says it.
    Accessible.description: enabled ? "" : qsTr("Unavailable")

    FocusRing {}

    PlainToolTip {
        text: button.toolTipText
        visible: button.hovered && button.toolTipText !== ""
        delay: Theme.toolTipDelay
    }
}
