import QtQuick
import QtQuick.Controls
import "Icons.js" as Icons

// A button with one of the app's icons, drawn in the button's own text colour so it
// greys out with the title when disabled.
Button {
    id: button

    property string symbol

    icon.source: Icons.source(symbol)
    icon.color: highlighted ? palette.highlightedText : palette.buttonText
}
