import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

Pane {
    id: browser

    required property ContentView contentView

    padding: Theme.paneMargin
    // The listing has the keyboard when the window opens, as a file manager's does.
    focus: true

    // Window-wide, like a file manager's: they work wherever the focus is.
    Shortcut {
        sequences: ["F5", "Ctrl+R"]
        onActivated: browser.contentView.startRefresh()
    }

    Shortcut {
        sequences: ["Backspace", "Alt+Up"]
        onActivated: browser.contentView.startNavigateUp()
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: Theme.spacingXL

        RowLayout {
            spacing: Theme.spacingL
            Layout.fillWidth: true

            SymbolButton {
                objectName: "upButton"
                icon.source: browser.contentView.upIconSource
                display: AbstractButton.IconOnly
                implicitWidth: implicitHeight + 6
                enabled: browser.contentView.upEnabled
                Accessible.name: browser.contentView.upTitle
                toolTipText: browser.contentView.upTitle
                Layout.alignment: Qt.AlignTop
                onClicked: browser.contentView.startNavigateUp()
            }

            LocationHeader {
                contentView: browser.contentView
                onBreadcrumbOpened: list.forceActiveFocus(Qt.OtherFocusReason)
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignTop
            }
        }

        // Only when there is a choice: more than one phone, more than one storage.
        RowLayout {
            visible: browser.contentView.showsDevicePicker || browser.contentView.showsStoragePicker
            spacing: Theme.spacingM
            Layout.fillWidth: true

            Picker {
                objectName: "devicePicker"
                visible: browser.contentView.showsDevicePicker
                enabled: browser.contentView.pickersEnabled
                model: browser.contentView.deviceChoices
                selectedIndex: browser.contentView.selectedDeviceIndex
                Accessible.name: browser.contentView.devicePickerTitle
                onChosen: index => browser.contentView.startSelectDevice(index)
                Layout.fillWidth: true
            }

            Picker {
                objectName: "storagePicker"
                visible: browser.contentView.showsStoragePicker
                enabled: browser.contentView.pickersEnabled
                model: browser.contentView.storageChoices
                selectedIndex: browser.contentView.selectedStorageIndex
                Accessible.name: browser.contentView.storagePickerTitle
                onChosen: index => browser.contentView.startSelectStorage(index)
                Layout.fillWidth: true
            }
        }

        // The inset list: rows on the content colour, in a rounded group. It stays in
        // place, focus and all, while the empty state covers it.
        Rectangle {
            color: browser.contentView.showsEmptyState ? "transparent" : browser.palette.base
            border.color: list.activeFocus ? browser.palette.highlight
                                           : browser.contentView.showsEmptyState ? "transparent" : browser.palette.mid
            border.width: list.activeFocus ? Theme.focusRingWidth : 1
            radius: Theme.groupRadius
            Layout.fillWidth: true
            Layout.fillHeight: true

            ListView {
                id: list
                objectName: "remoteList"
                anchors.fill: parent
                anchors.margins: Theme.listInset
                clip: true
                focus: true
                activeFocusOnTab: true
                keyNavigationEnabled: false
                boundsBehavior: Flickable.StopAtBounds
                model: browser.contentView.entries
                ScrollBar.vertical: ScrollBar {}
                Accessible.role: Accessible.List
                Accessible.name: browser.contentView.currentLocationTitle

                // The model says which row is current; the view follows and keeps it in sight.
                function showCurrentRow() {
                    currentIndex = browser.contentView.entries.currentRow;
                    if (currentIndex >= 0)
                        positionViewAtIndex(currentIndex, ListView.Contain);
                }

                Connections {
                    target: browser.contentView.entries
                    function onCurrentRowChanged() { list.showCurrentRow() }
                }
                Component.onCompleted: showCurrentRow()

                Keys.onPressed: event => {
                    const rowHeight = list.currentItem ? list.currentItem.height : 40;
                    const rowsPerPage = Math.max(1, Math.floor(list.height / rowHeight) - 1);
                    event.accepted = browser.contentView.pressBrowserKey(event.key, event.modifiers, event.text,
                                                                         rowsPerPage);
                }

                delegate: RemoteEntryRow {
                    contentView: browser.contentView
                    width: ListView.view.width
                }
            }

            EmptyState {
                objectName: "emptyState"
                anchors.fill: parent
                visible: browser.contentView.showsEmptyState
                iconSource: browser.contentView.emptyStateIconSource
                title: browser.contentView.emptyStateTitle
                description: browser.contentView.emptyStateDescription
            }
        }

        SelectionBar {
            contentView: browser.contentView
            Layout.fillWidth: true
        }
    }
}
