import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

ApplicationWindow {
    id: window

    required property ContentView contentView

    minimumWidth: Theme.windowMinimumWidth
    minimumHeight: Theme.windowMinimumHeight
    // Opens at the panes' preferred widths.
    width: Theme.windowWidth
    height: Theme.windowHeight
    // While a transfer runs the title says how far it is; otherwise where the window is.
    title: contentView.windowTitle

    // Closing during a transfer asks first; the answer stops it before the process ends.
    onClosing: (close) => {
        if (contentView.transfers.hasTransfer) {
            close.accepted = false
            quitQuestion.open()
        }
    }

    // Ctrl+Q, as in every desktop application: the same as closing the window.
    Shortcut {
        sequences: [StandardKey.Quit]
        onActivated: window.close()
    }

    Dialog {
        id: quitQuestion
        objectName: "quitQuestion"
        title: window.contentView.quitQuestionTitle
        modal: true
        anchors.centerIn: parent
        width: Math.min(Theme.dialogWidth, window.width - 2 * Theme.paneMargin)
        padding: Theme.paneMargin

        PlainText {
            text: window.contentView.quitQuestionText
            wrapMode: Text.Wrap
            width: parent.width
        }

        // Keeping the copy is the default, and the button that stops it comes last,
        // whatever order the platform would give the two roles.
        onOpened: keepCopyingButton.forceActiveFocus()

        footer: DialogButtonBox {
            buttonLayout: DialogButtonBox.GnomeLayout
            Button {
                id: keepCopyingButton
                objectName: "keepCopyingButton"
                text: window.contentView.keepCopyingTitle
                highlighted: true
                DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()
            }
            Button {
                objectName: "stopAndQuitButton"
                text: window.contentView.stopAndQuitTitle
                DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
            }
        }

        onAccepted: window.contentView.stopTransferAndQuit()
    }

    ImportDialog {
        id: importDialog
        imports: window.contentView.imports
    }

    TakenNamesDialog {
        takenNames: window.contentView.takenNames
    }

    // Files and folders dropped from a file manager go to the folder shown.
    DropArea {
        objectName: "dropArea"
        anchors.fill: parent
        keys: ["text/uri-list"]
        onEntered: (drag) => drag.accepted = drag.hasUrls && window.contentView.transfers.uploadEnabled
        onDropped: (drop) => {
            if (!drop.hasUrls)
                return
            window.contentView.transfers.startUploadDropped(drop.urls)
            drop.acceptProposedAction()
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        StatusBar {
            status: window.contentView.status
            Layout.fillWidth: true
        }

        Divider {
            Layout.fillWidth: true
        }

        SplitView {
            objectName: "splitView"
            orientation: Qt.Horizontal
            Layout.fillWidth: true
            Layout.fillHeight: true

            RemoteBrowser {
                objectName: "remoteBrowser"
                browser: window.contentView.browser
                SplitView.minimumWidth: Theme.browserMinimumWidth
                SplitView.preferredWidth: Theme.browserPreferredWidth
                SplitView.fillWidth: true
            }

            LocalActions {
                objectName: "localActions"
                transfers: window.contentView.transfers
                donation: window.contentView.donation
                imports: window.contentView.imports
                onDeleteImportedAsked: importDialog.askDelete()
                SplitView.minimumWidth: Theme.sidePaneMinimumWidth
                SplitView.preferredWidth: Theme.sidePanePreferredWidth
                SplitView.maximumWidth: Theme.sidePaneMaximumWidth
            }
        }
    }
}
