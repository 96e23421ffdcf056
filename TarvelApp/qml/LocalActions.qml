import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

// The right pane: uploads, the running transfer, and the donation section, scrolling
// when the window is too short for all of it.
Pane {
    id: pane

    required property TransferPresenter transfers
    required property DonationPresenter donation
    required property ImportPresenter imports
    // Asks before the imported files are deleted from the phone.
    signal deleteImportedAsked()

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
                text: pane.transfers.transfersTitle
            }

            SymbolButton {
                objectName: "importButton"
                text: pane.imports.importTitle
                icon.source: pane.imports.importIconSource
                enabled: pane.imports.importEnabled
                Layout.fillWidth: true
                onClicked: pane.imports.startImport()
            }

            SymbolButton {
                id: deleteImported
                objectName: "deleteImportedButton"
                visible: pane.imports.deleteOfferVisible
                text: pane.imports.deleteOfferTitle
                Layout.fillWidth: true
                onClicked: pane.deleteImportedAsked()
                // The count and size must show whole in a narrow pane.
                contentItem: PlainText {
                    text: deleteImported.text
                    wrapMode: Text.Wrap
                    horizontalAlignment: Text.AlignHCenter
                    color: deleteImported.palette.buttonText
                }
            }

            SymbolButton {
                objectName: "uploadButton"
                text: pane.transfers.chooseFileTitle
                icon.source: pane.transfers.chooseFileIconSource
                enabled: pane.transfers.uploadEnabled
                font.pixelSize: Theme.bodySize
                topPadding: Theme.spacingM
                bottomPadding: Theme.spacingM
                Layout.fillWidth: true
                onClicked: pane.transfers.startChooseFileToUpload()
            }

            SymbolButton {
                objectName: "uploadFolderButton"
                text: pane.transfers.chooseFolderTitle
                icon.source: pane.transfers.chooseFolderIconSource
                enabled: pane.transfers.uploadEnabled
                Layout.fillWidth: true
                onClicked: pane.transfers.startChooseFolderToUpload()
            }

            SymbolButton {
                objectName: "pasteButton"
                text: pane.transfers.pasteTitle
                icon.source: pane.transfers.pasteIconSource
                enabled: pane.transfers.uploadEnabled
                Layout.fillWidth: true
                onClicked: pane.transfers.startPasteFromClipboard()
            }

            Shortcut {
                sequences: [StandardKey.Paste]
                enabled: pane.transfers.uploadEnabled
                onActivated: pane.transfers.startPasteFromClipboard()
            }

            PlainText {
                objectName: "uploadHelperText"
                role: PlainText.Callout
                secondary: true
                text: pane.transfers.uploadHelperText
                wrapMode: Text.Wrap
                Layout.fillWidth: true
            }

            Divider {
                Layout.fillWidth: true
            }

            // A cut batch that can go on where it stopped.
            ColumnLayout {
                objectName: "resumeBar"
                visible: pane.transfers.resumeVisible
                spacing: Theme.spacingS
                Layout.fillWidth: true

                PlainText {
                    objectName: "resumeText"
                    text: pane.transfers.resumeText
                    wrapMode: Text.Wrap
                    Layout.fillWidth: true
                }

                RowLayout {
                    spacing: Theme.spacingS
                    Layout.alignment: Qt.AlignRight

                    SymbolButton {
                        objectName: "dismissResumeButton"
                        text: pane.transfers.dismissResumeTitle
                        onClicked: pane.transfers.dismissResume()
                    }

                    SymbolButton {
                        objectName: "resumeButton"
                        text: pane.transfers.resumeTitle
                        highlighted: true
                        onClicked: pane.transfers.startResume()
                    }
                }
            }

            TransferSummaryView {
                objectName: "transferSummary"
                visible: pane.transfers.hasTransfer
                transfers: pane.transfers
                Layout.fillWidth: true
            }

            // What waits its turn, one line each, in the order it will run.
            ColumnLayout {
                objectName: "transferQueue"
                visible: pane.transfers.queueLines.length > 0
                spacing: 0
                Layout.fillWidth: true

                PlainText {
                    role: PlainText.Caption
                    secondary: true
                    text: pane.transfers.queueTitle
                    Layout.fillWidth: true
                }

                Repeater {
                    model: pane.transfers.queueLines

                    RowLayout {
                        id: queued
                        required property int index
                        required property string modelData
                        spacing: Theme.spacingS
                        Layout.fillWidth: true

                        PlainText {
                            role: PlainText.Caption
                            text: queued.modelData
                            wrapMode: Text.WrapAtWordBoundaryOrAnywhere
                            Layout.fillWidth: true
                        }

                        SymbolButton {
                            objectName: "removeQueuedButton"
                            icon.source: pane.transfers.removeFromQueueIconSource
                            icon.width: Theme.smallIconSize
                            icon.height: Theme.smallIconSize
                            display: AbstractButton.IconOnly
                            flat: true
                            padding: Theme.spacingXS
                            implicitWidth: implicitHeight
                            Accessible.name: pane.transfers.queueRemoveNames[queued.index] ?? ""
                            toolTipText: pane.transfers.removeFromQueueTitle
                            onClicked: pane.transfers.removeQueued(queued.index)
                        }
                    }
                }
            }

            ColumnLayout {
                objectName: "noTransfer"
                visible: !pane.transfers.hasTransfer
                spacing: Theme.spacingS
                Layout.fillWidth: true

                IconTitle {
                    iconSource: pane.transfers.noTransferIconSource
                    text: pane.transfers.noTransferTitle
                    Layout.fillWidth: true
                }

                PlainText {
                    role: PlainText.Caption
                    secondary: true
                    text: pane.transfers.noTransferDescription
                    wrapMode: Text.Wrap
                    Layout.fillWidth: true
                }

                SymbolButton {
                    objectName: "showInFolderButton"
                    visible: pane.transfers.showInFolderVisible
                    text: pane.transfers.showInFolderTitle
                    onClicked: pane.transfers.showDownloadedFolder()
                }
            }

            DonationSection {
                donation: pane.donation
                Layout.fillWidth: true
            }
        }
    }
}
