import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

// Asked once by a batch download whose names are taken: skip (the default), keep both, or
// replace after a second question that says how many files it replaces.
Item {
    id: root

    required property TakenNamesPresenter takenNames

    anchors.fill: parent

    Connections {
        target: root.takenNames
        function onQuestionChanged() {
            if (root.takenNames.asking) {
                choices.currentIndex = 0
                question.open()
            } else {
                question.close()
                replaceQuestion.close()
            }
        }
    }

    Dialog {
        id: question
        objectName: "takenNamesQuestion"
        title: root.takenNames.questionTitle
        modal: true
        closePolicy: Popup.NoAutoClose
        anchors.centerIn: parent
        width: Math.min(Theme.dialogWidth, root.width - 2 * Theme.paneMargin)
        padding: Theme.paneMargin

        ColumnLayout {
            width: parent.width
            spacing: Theme.spacingM

            PlainText {
                text: root.takenNames.questionText
                wrapMode: Text.Wrap
                Layout.fillWidth: true
            }

            ButtonGroup {
                id: choices
                property int currentIndex: 0
            }

            Repeater {
                model: root.takenNames.choices
                delegate: RadioButton {
                    required property string modelData
                    required property int index
                    objectName: "takenNamesChoice" + index
                    text: modelData
                    checked: choices.currentIndex === index
                    ButtonGroup.group: choices
                    onClicked: choices.currentIndex = index
                    Layout.fillWidth: true
                }
            }
        }

        // Escape, as the button beside Go On, stops the download.
        Shortcut {
            sequence: "Escape"
            enabled: question.opened
            onActivated: root.takenNames.stop()
        }

        footer: DialogButtonBox {
            Button {
                objectName: "takenNamesStop"
                text: root.takenNames.stopTitle
                onClicked: root.takenNames.stop()
            }
            Button {
                objectName: "takenNamesGoOn"
                text: root.takenNames.goOnTitle
                onClicked: {
                    if (choices.currentIndex === 2) {
                        question.close()
                        replaceQuestion.open()
                    } else {
                        root.takenNames.answer(choices.currentIndex)
                    }
                }
            }
        }
    }

    Dialog {
        id: replaceQuestion
        objectName: "replaceQuestion"
        title: root.takenNames.replaceQuestionTitle
        modal: true
        closePolicy: Popup.NoAutoClose
        anchors.centerIn: parent
        width: Math.min(Theme.dialogWidth, root.width - 2 * Theme.paneMargin)
        padding: Theme.paneMargin

        PlainText {
            text: root.takenNames.replaceQuestionText
            wrapMode: Text.Wrap
            width: parent.width
        }

        footer: DialogButtonBox {
            Button {
                objectName: "replaceBackButton"
                text: root.takenNames.backTitle
                onClicked: {
                    replaceQuestion.close()
                    question.open()
                }
            }
            Button {
                objectName: "replaceConfirmButton"
                text: root.takenNames.replaceTitle
                onClicked: root.takenNames.answer(2)
            }
        }
    }
}
