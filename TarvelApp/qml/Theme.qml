pragma Singleton
import QtQuick

// The window's one set of sizes: the type scale, the spacing steps, the corner radii
// and how long a pointer rests before a tooltip shows.
QtObject {
    // Type scale, in pixels.
    readonly property int titleSize: 16
    readonly property int bodySize: 13
    readonly property int calloutSize: 12
    readonly property int captionSize: 11
    readonly property int smallCaptionSize: 10

    // Spacing steps, smallest first. A pane keeps paneMargin to its edges.
    readonly property int spacingXXS: 2
    readonly property int spacingXS: 3
    readonly property int spacingS: 6
    readonly property int spacingM: 8
    readonly property int spacingL: 10
    readonly property int spacingXL: 12
    readonly property int paneMargin: 14

    // Corner radii: buttons, list rows, the inset list, the QR code.
    readonly property int buttonRadius: 2
    readonly property int rowRadius: 5
    readonly property int groupRadius: 8
    readonly property int imageRadius: 6

    readonly property int toolTipDelay: 600

    // The ring around what has the keyboard's focus.
    readonly property int focusRingWidth: 2
}
