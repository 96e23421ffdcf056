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

    // Window-wide, like a file manager's: it works wherever the focus is.
    Shortcut {
        sequences: ["Backspace", "Alt+Up"]
        onActivated: pane.browser.startNavigateUp()
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
                onBreadcrumbOpened: list.forceActiveFocus(Qt.OtherFocusReason)
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignTop
            }
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
            border.color: list.activeFocus ? pane.palette.highlight
                                           : pane.browser.showsEmptyState ? "transparent" : pane.palette.mid
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
                model: pane.browser.entries
                ScrollBar.vertical: ScrollBar {}
                Accessible.role: Accessible.List
                Accessible.name: pane.browser.currentLocationTitle

                // The model says which row is current; the view follows and keeps it in sight.
                function showCurrentRow() {
                    currentIndex = pane.browser.entries.currentRow;
                    if (currentIndex >= 0)
                        positionViewAtIndex(currentIndex, ListView.Contain);
                }

                Connections {
                    target: pane.browser.entries
                    function onCurrentRowChanged() { list.showCurrentRow() }
                }
                Component.onCompleted: showCurrentRow()

                Keys.onPressed: event => {
                    const rowHeight = list.currentItem ? list.currentItem.height : 40;
                    const rowsPerPage = Math.max(1, Math.floor(list.height / rowHeight) - 1);
                    event.accepted = pane.browser.pressBrowserKey(event.key, event.modifiers, event.text,
                                                                         rowsPerPage);
                }

                delegate: RemoteEntryRow {
                    browser: pane.browser
                    width: ListView.view.width
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

        SelectionBar {
            browser: pane.browser
            Layout.fillWidth: true
        }
    }
}
