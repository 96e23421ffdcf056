import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

Pane {
    id: browser

    required property ContentView contentView

    padding: Theme.paneMargin

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

            ColumnLayout {
                spacing: Theme.spacingXS
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignTop

                PlainText {
                    objectName: "locationTitle"
                    role: PlainText.Headline
                    text: browser.contentView.currentLocationTitle
                    wrapMode: Text.Wrap
                    Layout.fillWidth: true
                }

                PlainText {
                    objectName: "storageSubtitle"
                    role: PlainText.Caption
                    secondary: true
                    text: browser.contentView.storageSubtitle
                    maximumLineCount: 1
                    elide: Text.ElideRight
                    Layout.fillWidth: true
                }
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

        EmptyState {
            objectName: "emptyState"
            visible: browser.contentView.showsEmptyState
            iconSource: browser.contentView.emptyStateIconSource
            title: browser.contentView.emptyStateTitle
            description: browser.contentView.emptyStateDescription
            Layout.fillWidth: true
            Layout.fillHeight: true
        }

        // The inset list: rows on the content colour, in a rounded group.
        Rectangle {
            visible: !browser.contentView.showsEmptyState
            color: browser.palette.base
            border.color: browser.palette.mid
            radius: Theme.groupRadius
            Layout.fillWidth: true
            Layout.fillHeight: true

            ListView {
                id: list
                objectName: "remoteList"
                anchors.fill: parent
                anchors.margins: 4
                clip: true
                boundsBehavior: Flickable.StopAtBounds
                model: browser.contentView.entries
                ScrollBar.vertical: ScrollBar {}

                delegate: RemoteEntryRow {
                    contentView: browser.contentView
                    width: ListView.view.width
                }
            }
        }
    }
}
