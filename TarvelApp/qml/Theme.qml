pragma Singleton
import QtQuick

// The window's one set of sizes: the window and its panes, the type scale, the spacing
// steps, icons, the corner radii and how long a pointer rests before a tooltip shows.
QtObject {
    // The window and its panes: the browser grows with the window, the side pane keeps
    // within its limits.
    readonly property int windowMinimumWidth: 760
    readonly property int windowMinimumHeight: 460
    readonly property int windowWidth: 820
    readonly property int windowHeight: 560
    readonly property int browserMinimumWidth: 420
    readonly property int browserPreferredWidth: 520
    readonly property int sidePaneMinimumWidth: 260
    readonly property int sidePanePreferredWidth: 300
    readonly property int sidePaneMaximumWidth: 340
    readonly property int dialogWidth: 420

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
    // Between the inset list's edge and its rows.
    readonly property int listInset: 4

    // Icons, and the boxes that hold them.
    readonly property int smallIconSize: 12
    readonly property int iconSize: 16
    readonly property int largeIconSize: 18
    readonly property int rowIconWidth: 22
    // A row's picture, and the grid's cells with theirs.
    readonly property int rowThumbnailSize: 32
    readonly property int gridCellWidth: 132
    readonly property int gridCellHeight: 148
    readonly property int gridIconSize: 48
    readonly property int qrCodeSize: 72
    // The folder's name in the header is as tall as the breadcrumb buttons beside it.
    readonly property int headerTitleHeight: 24

    // Corner radii: buttons, list rows, the inset list, the QR code.
    readonly property int buttonRadius: 2
    readonly property int rowRadius: 5
    readonly property int groupRadius: 8
    readonly property int imageRadius: 6

    readonly property int toolTipDelay: 600

    // The ring around what has the keyboard's focus.
    readonly property int focusRingWidth: 2
}
