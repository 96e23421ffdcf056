import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

// The name of a new folder, or a new name: checked as it is typed, with the reason shown
// under it, so nothing the phone would refuse is sent.
Dialog {
    id: question

    required property FileActionsPresenter files
    readonly property string problem: files.nameProblem(field.text)

    objectName: "nameQuestion"
    title: files.nameQuestionTitle
    modal: true
    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(Theme.dialogWidth, parent.width - 2 * Theme.paneMargin)
    padding: Theme.paneMargin

    ColumnLayout {
        width: parent.width
        spacing: Theme.spacingS

        TextField {
            id: field
            objectName: "nameField"
            Accessible.name: question.files.nameFieldTitle
            Layout.fillWidth: true
            onAccepted: {
                if (question.problem === "")
                    question.accept()
            }
        }

        PlainText {
            objectName: "nameProblem"
            role: PlainText.Caption
            text: question.problem
            visible: text !== ""
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }
    }

    footer: DialogButtonBox {
        Button {
            objectName: "nameCancelButton"
            text: question.files.cancelTitle
            DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
        }
        Button {
            objectName: "nameConfirmButton"
            text: question.files.nameConfirmTitle
            enabled: question.problem === ""
            DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
        }
    }

    // The name is typed over, its extension kept: a rename mostly changes the name.
    onAboutToShow: {
        field.text = files.proposedName
        const dot = field.text.lastIndexOf(".")
        field.select(0, dot > 0 ? dot : field.text.length)
        field.forceActiveFocus()
    }
    onAccepted: files.acceptName(field.text)

    Connections {
        target: question.files
        function onNameAsked() { question.open() }
    }
}
