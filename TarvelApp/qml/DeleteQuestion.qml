import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

// Asks before anything is deleted, with the count and the size once the folders are
// listed; the phone has no trash.
Dialog {
    id: question

    required property FileActionsPresenter files

    objectName: "deleteQuestion"
    title: files.deleteQuestionTitle
    modal: true
    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(Theme.dialogWidth, parent.width - 2 * Theme.paneMargin)
    padding: Theme.paneMargin

    PlainText {
        objectName: "deleteQuestionText"
        text: question.files.deleteQuestionText
        wrapMode: Text.Wrap
        width: parent.width
    }

    footer: DialogButtonBox {
        Button {
            objectName: "deleteCancelButton"
            text: question.files.cancelTitle
            DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
        }
        Button {
            objectName: "deleteConfirmButton"
            text: question.files.deleteConfirmTitle
            enabled: question.files.deleteConfirmEnabled
            DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
        }
    }

    onAccepted: files.confirmDelete()
    onRejected: files.cancelDelete()

    Connections {
        target: question.files
        function onDeleteAsked() { question.open() }
        function onDeleteQuestionDropped() { question.close() }
    }
}
