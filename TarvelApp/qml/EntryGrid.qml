import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

// The listing as a grid of larger thumbnails. The same rows, current row and selection as
// the list; clicks and keys go to the same presenter.
GridView {
    id: grid

    required property BrowserPresenter browser

    objectName: "remoteGrid"
    clip: true
    activeFocusOnTab: true
    keyNavigationEnabled: false
    boundsBehavior: Flickable.StopAtBounds
    // Cells scrolled out are used again for the rows scrolled in: making a cell anew is most of
    // what a scroll costs, and a copy running meanwhile shares the processor.
    reuseItems: true
    cellWidth: Math.max(Theme.gridCellWidth, Math.floor(width / Math.max(1, Math.floor(width / Theme.gridCellWidth))))
    cellHeight: Theme.gridCellHeight
    ScrollBar.vertical: ScrollBar {}
    Accessible.role: Accessible.List
    Accessible.name: grid.browser.currentLocationTitle

    readonly property int columns: Math.max(1, Math.floor(width / cellWidth))

    signal menuRequested(int row, point at)

    function showCurrentRow() {
        if (!model)
            return; // the list shows the rows
        currentIndex = grid.browser.entries.currentRow;
        if (currentIndex >= 0)
            positionViewAtIndex(currentIndex, GridView.Contain);
    }

    // Which rows are on screen, once scrolling rests: only their thumbnails are asked for.
    function reportShownRows() {
        if (!visible || count === 0)
            return;
        const first = Math.max(0, indexAt(1, contentY + 1));
        // The bottom line's first cell: right of the last column there may be no cell at all.
        const lastLine = indexAt(1, contentY + height - 2);
        const last = lastLine < 0 ? count - 1 : Math.min(count - 1, lastLine + columns - 1);
        grid.browser.thumbnails.showRows(first, last);
    }
    Timer { id: shownRows; interval: 120; onTriggered: grid.reportShownRows() }
    onContentYChanged: shownRows.restart()
    onHeightChanged: shownRows.restart()
    onWidthChanged: shownRows.restart()
    onCountChanged: shownRows.restart()
    onVisibleChanged: shownRows.restart()

    Connections {
        target: grid.browser.entries
        function onCurrentRowChanged() { grid.showCurrentRow() }
        function onModelReset() { shownRows.restart() }
    }
    Component.onCompleted: showCurrentRow()
    // Back from the list: the current row is where the list left it.
    onModelChanged: Qt.callLater(showCurrentRow)

    // Across the grid, Left and Right are the list's Up and Down, and Up and Down move a
    // whole line: the presenter's Page keys with a page of one line.
    Keys.onPressed: event => {
        const keys = {[Qt.Key_Left]: Qt.Key_Up, [Qt.Key_Right]: Qt.Key_Down,
                      [Qt.Key_Up]: Qt.Key_PageUp, [Qt.Key_Down]: Qt.Key_PageDown};
        const key = keys[event.key] !== undefined ? keys[event.key] : event.key;
        const rowsPerPage = (event.key === Qt.Key_Up || event.key === Qt.Key_Down)
                ? grid.columns : grid.columns * Math.max(1, Math.floor(grid.height / grid.cellHeight) - 1);
        event.accepted = grid.browser.pressBrowserKey(key, event.modifiers, event.text, rowsPerPage);
    }

    delegate: Item {
        id: cell

        required property int index
        required property string name
        required property bool isFolder
        required property url iconSource
        required property color iconTint
        required property url thumbnailSource
        required property bool selected
        required property string accessibleName

        readonly property bool keyboardCurrent: GridView.isCurrentItem && GridView.view.activeFocus

        objectName: "entryCell"
        width: GridView.view.cellWidth
        height: GridView.view.cellHeight
        Accessible.role: Accessible.ListItem
        Accessible.name: accessibleName
        Accessible.selectable: true
        Accessible.selected: selected

        Rectangle {
            anchors.fill: parent
            anchors.margins: Theme.spacingXS
            radius: Theme.rowRadius
            color: Qt.rgba(palette.highlight.r, palette.highlight.g, palette.highlight.b,
                           cell.selected ? (hover.hovered ? 0.32 : 0.25) : hover.hovered ? 0.10 : 0)
            border.width: cell.keyboardCurrent ? Theme.focusRingWidth : 0
            border.color: palette.highlight
        }

        HoverHandler { id: hover }

        // As in the list: a right click opens the menu, a double click opens or downloads.
        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.LeftButton | Qt.RightButton
            onClicked: mouse => {
                cell.GridView.view.forceActiveFocus(Qt.MouseFocusReason);
                if (mouse.button === Qt.RightButton)
                    grid.menuRequested(cell.index, mapToItem(null, mouse.x, mouse.y));
                else
                    grid.browser.clickRow(cell.index, mouse.modifiers);
            }
            onDoubleClicked: mouse => {
                if (mouse.button === Qt.LeftButton && mouse.modifiers === Qt.NoModifier)
                    grid.browser.activateRow(cell.index);
            }
        }

        ColumnLayout {
            anchors.fill: parent
            anchors.margins: Theme.spacingS
            spacing: Theme.spacingXS

            Item {
                Layout.fillWidth: true
                Layout.fillHeight: true

                Image {
                    id: picture
                    objectName: "cellThumbnail"
                    anchors.fill: parent
                    source: cell.thumbnailSource
                    sourceSize.width: Theme.gridCellWidth
                    sourceSize.height: Theme.gridCellWidth
                    fillMode: Image.PreserveAspectFit
                    asynchronous: true
                    visible: status === Image.Ready
                }

                // The kind's icon while there is no picture, and for one that did not decode.
                SymbolIcon {
                    anchors.centerIn: parent
                    visible: !picture.visible
                    source: cell.iconSource
                    tint: cell.iconTint
                    size: Theme.gridIconSize
                }
            }

            // Two lines broken anywhere: camera names differ in the middle, by their time.
            PlainText {
                role: PlainText.Caption
                text: cell.name
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WrapAnywhere
                maximumLineCount: 2
                elide: Text.ElideRight
                Layout.fillWidth: true
            }
        }
    }
}
