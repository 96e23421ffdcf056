import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

Pane {
    id: pane

    required property BrowserPresenter browser

    padding: Theme.paneMargin
    // The listing has the keyboard when the window opens, as a file manager's does.
    focus: true

    // The list or the grid, whichever shows the rows.
    readonly property Item listing: browser.thumbnails.showsGrid ? grid : list

    // Window-wide, like a file manager's: they work wherever the focus is.
    Shortcut {
        sequences: ["Backspace", "Alt+Up"]
        onActivated: pane.browser.startNavigateUp()
    }
    // Not StandardKey.Back: on some platforms it holds Backspace, which then matches two
    // shortcuts and fires neither.
    Shortcut {
        sequences: ["Alt+Left", "Back"]
        onActivated: pane.browser.startNavigateBack()
    }
    Shortcut {
        sequence: "Ctrl+Shift+N"
        onActivated: pane.browser.files.askNewFolder()
    }
    Shortcut {
        sequences: [StandardKey.Find]
        onActivated: pane.browser.openFilter()
    }

    // Whatever had the keyboard went away (a question closed, a copy's Cancel button went
    // with its copy): the list takes it back, so its ring shows where the keyboard is.
    Connections {
        target: pane.Window.window
        function onActiveFocusItemChanged() {
            const window = pane.Window.window
            if (window && (!window.activeFocusItem || window.activeFocusItem === window.contentItem))
                list.forceActiveFocus(Qt.OtherFocusReason)
        }
    }

    // Where a right click asked for the menu; nowhere for the Menu key, which opens it
    // at the current row.
    property var menuAt: null

    ContextMenu {
        id: contextMenu
        files: pane.browser.files
    }
    Connections {
        target: pane.browser.files
        function onMenuAsked(row) {
            const at = pane.menuAt
            pane.menuAt = null
            const rowItem = row >= 0 ? list.itemAtIndex(row) : null
            if (at)
                contextMenu.popup(pane.Window.window.contentItem, at.x, at.y)
            else if (rowItem)
                contextMenu.popup(rowItem, Theme.rowIconWidth, rowItem.height / 2)
            else
                contextMenu.popup(list, Theme.spacingL, Theme.spacingL)
        }
    }
    NameQuestion {
        files: pane.browser.files
    }
    DeleteQuestion {
        files: pane.browser.files
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: Theme.spacingXL

        RowLayout {
            spacing: Theme.spacingL
            Layout.fillWidth: true

            SymbolButton {
                objectName: "upButton"
                icon.source: pane.browser.upIconSource
                display: AbstractButton.IconOnly
                implicitWidth: implicitHeight + 6
                enabled: pane.browser.upEnabled
                Accessible.name: pane.browser.upTitle
                toolTipText: pane.browser.upTitle
                Layout.alignment: Qt.AlignTop
                onClicked: pane.browser.startNavigateUp()
            }

            LocationHeader {
                browser: pane.browser
                onBreadcrumbOpened: pane.listing.forceActiveFocus(Qt.OtherFocusReason)
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignTop
            }

            SymbolButton {
                objectName: "viewToggle"
                icon.source: pane.browser.thumbnails.viewToggleIconSource
                display: AbstractButton.IconOnly
                implicitWidth: implicitHeight + 6
                Accessible.name: pane.browser.thumbnails.viewToggleTitle
                toolTipText: pane.browser.thumbnails.viewToggleTitle
                Layout.alignment: Qt.AlignTop
                onClicked: {
                    pane.browser.thumbnails.showsGrid = !pane.browser.thumbnails.showsGrid;
                    pane.listing.forceActiveFocus(Qt.OtherFocusReason);
                }
            }
        }

        FilterField {
            browser: pane.browser
            onDone: list.forceActiveFocus(Qt.OtherFocusReason)
            Layout.fillWidth: true
        }

        // Only when there is a choice: more than one phone, more than one storage.
        RowLayout {
            visible: pane.browser.showsDevicePicker || pane.browser.showsStoragePicker
            spacing: Theme.spacingM
            Layout.fillWidth: true

            Picker {
                objectName: "devicePicker"
                visible: pane.browser.showsDevicePicker
                enabled: pane.browser.pickersEnabled
                model: pane.browser.deviceChoices
                selectedIndex: pane.browser.selectedDeviceIndex
                Accessible.name: pane.browser.devicePickerTitle
                onChosen: index => pane.browser.startSelectDevice(index)
                Layout.fillWidth: true
            }

            Picker {
                objectName: "storagePicker"
                visible: pane.browser.showsStoragePicker
                enabled: pane.browser.pickersEnabled
                model: pane.browser.storageChoices
                selectedIndex: pane.browser.selectedStorageIndex
                Accessible.name: pane.browser.storagePickerTitle
                onChosen: index => pane.browser.startSelectStorage(index)
                Layout.fillWidth: true
            }
        }

        // The inset list: rows on the content colour, in a rounded group. It stays in
        // place, focus and all, while the empty state covers it.
        Rectangle {
            color: pane.browser.showsEmptyState ? "transparent" : pane.palette.base
            border.color: pane.listing.activeFocus ? pane.palette.highlight
                                                   : pane.browser.showsEmptyState ? "transparent" : pane.palette.mid
            border.width: pane.listing.activeFocus ? Theme.focusRingWidth : 1
            radius: Theme.groupRadius
            Layout.fillWidth: true
            Layout.fillHeight: true

            // A right click under the rows: the menu offers a new folder.
            MouseArea {
                anchors.fill: parent
                acceptedButtons: Qt.RightButton
                onClicked: mouse => {
                    list.forceActiveFocus(Qt.MouseFocusReason)
                    pane.menuAt = mapToItem(null, mouse.x, mouse.y)
                    pane.browser.files.askMenu(-1)
                }
            }

            ListView {
                id: list
                objectName: "remoteList"
                anchors.fill: parent
                anchors.margins: Theme.listInset
                clip: true
                visible: !pane.browser.thumbnails.showsGrid
                focus: visible
                activeFocusOnTab: true
                keyNavigationEnabled: false
                boundsBehavior: Flickable.StopAtBounds
                // Only the view that shows the rows makes their delegates.
                model: visible ? pane.browser.entries : null
                ScrollBar.vertical: ScrollBar {}
                Accessible.role: Accessible.List
                Accessible.name: pane.browser.currentLocationTitle

                // The model says which row is current; the view follows and keeps it in sight.
                function showCurrentRow() {
                    if (!model)
                        return; // the grid shows the rows
                    currentIndex = pane.browser.entries.currentRow;
                    if (currentIndex >= 0)
                        positionViewAtIndex(currentIndex, ListView.Contain);
                }

                Connections {
                    target: pane.browser.entries
                    function onCurrentRowChanged() { list.showCurrentRow() }
                    function onModelReset() { shownRows.restart() }
                }
                Component.onCompleted: showCurrentRow()
                // Back from the grid: the current row is where the grid left it.
                onModelChanged: Qt.callLater(showCurrentRow)

                // Which rows are on screen, once scrolling rests: only their thumbnails are
                // asked for.
                function reportShownRows() {
                    if (!visible || count === 0)
                        return;
                    const first = Math.max(0, indexAt(1, contentY + 1));
                    let last = indexAt(1, contentY + height - 2);
                    if (last < 0)
                        last = count - 1;
                    pane.browser.thumbnails.showRows(first, last);
                }
                Timer { id: shownRows; interval: 120; onTriggered: list.reportShownRows() }
                onContentYChanged: shownRows.restart()
                onHeightChanged: shownRows.restart()
                onCountChanged: shownRows.restart()
                onVisibleChanged: shownRows.restart()

                // Escape closes the filter before any window-wide use of it (a copy's Cancel),
                // as pressBrowserKey does.
                Keys.onShortcutOverride: event => event.accepted = event.key === Qt.Key_Escape
                                                                   && (pane.browser.filterText !== ""
                                                                       || pane.browser.filterOpen)
                Keys.onPressed: event => {
                    const rowHeight = list.currentItem ? list.currentItem.height : 40;
                    const rowsPerPage = Math.max(1, Math.floor(list.height / rowHeight) - 1);
                    event.accepted = pane.browser.pressBrowserKey(event.key, event.modifiers, event.text,
                                                                         rowsPerPage);
                }

                delegate: RemoteEntryRow {
                    browser: pane.browser
                    width: ListView.view.width
                    onMenuRequested: at => {
                        pane.menuAt = at
                        pane.browser.files.askMenu(index)
                    }
                }
            }

            EntryGrid {
                id: grid
                browser: pane.browser
                anchors.fill: parent
                anchors.margins: Theme.listInset
                visible: pane.browser.thumbnails.showsGrid
                focus: visible
                model: visible ? pane.browser.entries : null
                onMenuRequested: (row, at) => {
                    pane.menuAt = at
                    pane.browser.files.askMenu(row)
                }
            }

            EmptyState {
                objectName: "emptyState"
                anchors.fill: parent
                visible: pane.browser.showsEmptyState
                iconSource: pane.browser.emptyStateIconSource
                title: pane.browser.emptyStateTitle
                description: pane.browser.emptyStateDescription
            }
        }

        Preview {
            browser: pane.browser
            onClosed: pane.listing.forceActiveFocus(Qt.OtherFocusReason)
        }

        SelectionBar {
            browser: pane.browser
            Layout.fillWidth: true
        }
    }
}
