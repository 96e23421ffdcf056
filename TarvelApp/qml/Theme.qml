pragma Singleton
import QtQuick

// The window's one set of sizes: the window and its panes, the type scale, the spacing
// steps, icons, the corner radii and how long a pointer rests before a tooltip shows.
QtObject {
    // The desktop's font size over the 13 px (10 pt) these sizes were drawn for. A larger
    // font grows the type and what holds text: the panes, dialogs, the header and the
    // grid's cells; rows grow with their text. Never below 1, so a small default font (Qt's
    // own 9 pt where no desktop gives one) keeps the look; spacing and icons stay.
    readonly property real textScale: Math.max(1, Qt.application.font.pixelSize / 13)

    function scaled(size) {
        return Math.round(size * textScale);
    }

    // The window and its panes: the browser grows with the window, the side pane keeps
    // within its limits.
    readonly property int windowMinimumWidth: scaled(760)
    readonly property int windowMinimumHeight: scaled(460)
    readonly property int windowWidth: scaled(820)
    readonly property int windowHeight: scaled(560)
    readonly property int browserMinimumWidth: scaled(420)
    readonly property int browserPreferredWidth: scaled(520)
    readonly property int sidePaneMinimumWidth: scaled(260)
    readonly property int sidePanePreferredWidth: scaled(300)
    readonly property int sidePaneMaximumWidth: scaled(340)
    readonly property int dialogWidth: scaled(420)

    // Type scale, in pixels.
    readonly property int titleSize: scaled(16)
    readonly property int bodySize: scaled(13)
    readonly property int calloutSize: scaled(12)
    readonly property int captionSize: scaled(11)
    readonly property int smallCaptionSize: scaled(10)

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
    readonly property int gridCellWidth: scaled(132)
    readonly property int gridCellHeight: scaled(148)
    readonly property int gridIconSize: 48
    readonly property int qrCodeSize: 72
    // The folder's name in the header is as tall as the breadcrumb buttons beside it.
    readonly property int headerTitleHeight: scaled(24)

    // Corner radii: buttons, list rows, the inset list, the QR code.
    readonly property int buttonRadius: 2
    readonly property int rowRadius: 5
    readonly property int groupRadius: 8
    readonly property int imageRadius: 6

    readonly property int toolTipDelay: 600

    // The ring around what has the keyboard's focus.
    readonly property int focusRingWidth: 2
}
