import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

// The import: looking through the phone's camera folders with a live count, then what is
// new, which folders, where it goes and how it is filed there; and the question asked
// before the imported files are deleted from the phone.
Item {
    id: root

    required property ImportPresenter imports

    anchors.fill: parent

    // Opens and closes with the presenter, so a test or a cancelled look closes it too.
    Connections {
        target: root.imports
        function onDialogChanged() {
            if (root.imports.dialogOpen)
                importDialog.open()
            else
                importDialog.close()
        }
    }

    Dialog {
        id: importDialog
        objectName: "importDialog"
        title: root.imports.importTitle
        modal: true
        closePolicy: Popup.CloseOnEscape
        anchors.centerIn: parent
        width: Math.min(Theme.dialogWidth + 80, root.width - 2 * Theme.paneMargin)
        padding: Theme.paneMargin

        onRejected: root.imports.closeDialog()

        ColumnLayout {
            width: parent.width
            spacing: Theme.spacingL

            RowLayout {
                visible: root.imports.looking
                spacing: Theme.spacingM
                Layout.fillWidth: true

                Spinner {
                    size: Theme.largeIconSize
                }
                PlainText {
                    objectName: "importProgress"
                    text: root.imports.progressText
                    wrapMode: Text.Wrap
                    Layout.fillWidth: true
                }
            }

            PlainText {
                objectName: "importSummary"
                visible: text.length > 0
                role: PlainText.Headline
                text: root.imports.summaryText
                wrapMode: Text.Wrap
                Layout.fillWidth: true
            }

            PlainText {
                objectName: "importNotice"
                visible: text.length > 0
                role: PlainText.Callout
                secondary: true
                text: root.imports.noticeText
                wrapMode: Text.Wrap
                Layout.fillWidth: true
            }

            Repeater {
                model: root.imports.folders
                delegate: CheckBox {
                    required property var modelData
                    required property int index
                    objectName: "importFolder"
                    enabled: !root.imports.looking
                    checked: modelData.checked
                    text: modelData.detail.length > 0 ? modelData.name + "  \u00b7  " + modelData.detail : modelData.name
                    onToggled: root.imports.setFolderChecked(index, checked)
                    Layout.fillWidth: true
                }
            }

            RowLayout {
                spacing: Theme.spacingM
                Layout.fillWidth: true

                PlainText {
                    objectName: "importDestination"
                    text: root.imports.destinationText
                    elide: Text.ElideMiddle
                    Layout.fillWidth: true
                }
                Button {
                    objectName: "importChangeDestination"
                    text: root.imports.changeDestinationTitle
                    onClicked: root.imports.chooseDestination()
                }
            }

            Picker {
                objectName: "importFiling"
                model: root.imports.filingChoices
                selectedIndex: root.imports.filingIndex
                onChosen: index => root.imports.setFilingIndex(index)
                Layout.fillWidth: true
            }
        }

        footer: DialogButtonBox {
            Button {
                objectName: "importCancelButton"
                text: root.imports.cancelTitle
                DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
            }
            Button {
                objectName: "importConfirmButton"
                text: root.imports.confirmTitle
                enabled: root.imports.canImport
                highlighted: true
                onClicked: root.imports.confirmImport()
            }
        }
    }

    Dialog {
        id: deleteQuestion
        objectName: "deleteImportedQuestion"
        title: root.imports.deleteQuestionTitle
        modal: true
        anchors.centerIn: parent
        width: Math.min(Theme.dialogWidth, root.width - 2 * Theme.paneMargin)
        padding: Theme.paneMargin

        // The content's size from the dialog's width and the wrapped text's height: left to
        // the popup, it is taken from the text's own size, which wraps against it (a binding
        // loop on implicitHeight while the window has no width yet).
        contentWidth: width - leftPadding - rightPadding
        contentHeight: questionText.implicitHeight

        PlainText {
            id: questionText
            text: root.imports.deleteQuestionText
            wrapMode: Text.Wrap
            width: deleteQuestion.contentWidth
        }

        footer: DialogButtonBox {
            Button {
                objectName: "keepOnPhoneButton"
                text: root.imports.keepOnPhoneTitle
                DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
            }
            Button {
                objectName: "deleteFromPhoneButton"
                text: root.imports.deleteFromPhoneTitle
                DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
            }
        }

        onAccepted: root.imports.confirmDelete()
    }

    function askDelete() {
        deleteQuestion.open()
    }
}
