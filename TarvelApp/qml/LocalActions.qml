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
        contentHeight: column.implicitHeight + 28
        ScrollBar.horizontal.policy: ScrollBar.AlwaysOff
        ScrollBar.vertical.policy: contentHeight > height ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff

        ColumnLayout {
            id: column
            x: 14
            y: 14
            width: scroll.availableWidth - 28
            spacing: 14

            PlainText {
                role: PlainText.Headline
                text: pane.contentView.transfersTitle
            }

            SymbolButton {
                objectName: "uploadButton"
                text: pane.contentView.chooseFileTitle
                symbol: "square.and.arrow.up"
                enabled: pane.contentView.uploadEnabled
                font.pixelSize: 13
                topPadding: 8
                bottomPadding: 8
                Layout.fillWidth: true
                onClicked: pane.contentView.startChooseFileToUpload()
            }

            SymbolButton {
                objectName: "pasteButton"
                text: pane.contentView.pasteTitle
                symbol: "clipboard"
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
                spacing: 6
                Layout.fillWidth: true

                IconTitle {
                    symbol: "checkmark.circle"
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
            }

            DonationSection {
                contentView: pane.contentView
                Layout.fillWidth: true
            }
        }
    }
}
