import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

// The right pane: uploads, the running transfer, and the donation section, scrolling
// when the window is too short for all of it.
Pane {
    id: pane

    required property ContentView contentView

    padding: 0
    background: Rectangle {
        color: pane.palette.base
    }

    ScrollView {
        id: scroll
        objectName: "localActionsScroll"
        anchors.fill: parent
        contentWidth: availableWidth
        contentHeight: column.implicitHeight + 2 * Theme.paneMargin
        ScrollBar.horizontal.policy: ScrollBar.AlwaysOff
        ScrollBar.vertical.policy: contentHeight > height ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff

        ColumnLayout {
            id: column
            x: Theme.paneMargin
            y: Theme.paneMargin
            width: scroll.availableWidth - 2 * Theme.paneMargin
            spacing: Theme.paneMargin

            PlainText {
                role: PlainText.Headline
                text: pane.contentView.transfersTitle
            }

            SymbolButton {
                objectName: "uploadButton"
                text: pane.contentView.chooseFileTitle
                icon.source: pane.contentView.chooseFileIconSource
                enabled: pane.contentView.uploadEnabled
                font.pixelSize: Theme.bodySize
                topPadding: Theme.spacingM
                bottomPadding: Theme.spacingM
                Layout.fillWidth: true
                onClicked: pane.contentView.startChooseFileToUpload()
            }

            SymbolButton {
                objectName: "uploadFolderButton"
                text: pane.contentView.chooseFolderTitle
                icon.source: pane.contentView.chooseFolderIconSource
                enabled: pane.contentView.uploadEnabled
                Layout.fillWidth: true
                onClicked: pane.contentView.startChooseFolderToUpload()
            }

            SymbolButton {
                objectName: "pasteButton"
                text: pane.contentView.pasteTitle
                icon.source: pane.contentView.pasteIconSource
                enabled: pane.contentView.uploadEnabled
                Layout.fillWidth: true
                onClicked: pane.contentView.startPasteFromClipboard()
            }

            Shortcut {
                sequences: [StandardKey.Paste]
                enabled: pane.contentView.uploadEnabled
                onActivated: pane.contentView.startPasteFromClipboard()
            }

            PlainText {
                objectName: "uploadHelperText"
                role: PlainText.Callout
                secondary: true
                text: pane.contentView.uploadHelperText
                wrapMode: Text.Wrap
                Layout.fillWidth: true
            }

            Divider {
                Layout.fillWidth: true
            }

            TransferSummaryView {
                objectName: "transferSummary"
                visible: pane.contentView.hasTransfer
                contentView: pane.contentView
                Layout.fillWidth: true
            }

            ColumnLayout {
                objectName: "noTransfer"
                visible: !pane.contentView.hasTransfer
                spacing: Theme.spacingS
                Layout.fillWidth: true

                IconTitle {
                    iconSource: pane.contentView.noTransferIconSource
                    text: pane.contentView.noTransferTitle
                    Layout.fillWidth: true
                }

                PlainText {
                    role: PlainText.Caption
                    secondary: true
                    text: pane.contentView.noTransferDescription
                    wrapMode: Text.Wrap
                    Layout.fillWidth: true
                }

                SymbolButton {
                    objectName: "showInFolderButton"
                    visible: pane.contentView.showInFolderVisible
                    text: pane.contentView.showInFolderTitle
                    onClicked: pane.contentView.showDownloadedFolder()
                }
            }

            DonationSection {
                contentView: pane.contentView
                Layout.fillWidth: true
            }
        }
    }
}
