import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

// A picture at the size of the window, over everything. Left and Right go through the
// folder's pictures, Enter downloads the one shown, Escape closes.
Popup {
    id: popup

    required property BrowserPresenter browser
    readonly property PreviewPresenter preview: browser.preview

    objectName: "preview"
    parent: Overlay.overlay
    x: Theme.paneMargin
    y: Theme.paneMargin
    width: parent ? parent.width - 2 * Theme.paneMargin : 0
    height: parent ? parent.height - 2 * Theme.paneMargin : 0
    modal: true
    focus: true
    closePolicy: Popup.CloseOnEscape
    onClosed: preview.close()

    // The presenter says whether it is open; Escape closes the popup, which tells it.
    Connections {
        target: popup.preview
        function onChanged() {
            if (popup.preview.isOpen && !popup.visible)
                popup.open();
            else if (!popup.preview.isOpen && popup.visible)
                popup.close();
        }
    }
    padding: Theme.paneMargin

    background: Rectangle {
        color: popup.palette.window
        radius: Theme.groupRadius
        border.color: popup.palette.mid
    }

    contentItem: ColumnLayout {
        spacing: Theme.spacingM
        focus: true
        // A screen reader hears the picture's name and where it is in the folder.
        Accessible.role: Accessible.Dialog
        Accessible.name: popup.preview.title
        Accessible.description: popup.preview.detailText

        Keys.onPressed: event => {
            if (event.modifiers !== Qt.NoModifier && event.modifiers !== Qt.KeypadModifier)
                return;
            if (event.key === Qt.Key_Right) {
                popup.preview.showNext();
            } else if (event.key === Qt.Key_Left) {
                popup.preview.showPrevious();
            } else if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
                popup.browser.startRowAction(popup.preview.row);
            } else {
                return;
            }
            event.accepted = true;
        }

        RowLayout {
            spacing: Theme.spacingL
            Layout.fillWidth: true

            ColumnLayout {
                spacing: Theme.spacingXXS
                Layout.fillWidth: true

                PlainText {
                    objectName: "previewTitle"
                    role: PlainText.Headline
                    text: popup.preview.title
                    elide: Text.ElideMiddle
                    maximumLineCount: 1
                    Layout.fillWidth: true
                }
                PlainText {
                    objectName: "previewDetail"
                    role: PlainText.Caption
                    secondary: true
                    text: popup.preview.detailText
                    maximumLineCount: 1
                    elide: Text.ElideRight
                    Layout.fillWidth: true
                }
            }

            SymbolButton {
                objectName: "previewClose"
                text: popup.preview.closeTitle
                focusPolicy: Qt.NoFocus
                onClicked: popup.preview.close()
            }
        }

        Item {
            id: stage
            Layout.fillWidth: true
            Layout.fillHeight: true

            Image {
                id: picture
                objectName: "previewPicture"
                anchors.fill: parent
                source: popup.preview.pictureSource
                // Decoded no larger than it is shown.
                sourceSize.width: Math.max(1, stage.width * Screen.devicePixelRatio)
                sourceSize.height: Math.max(1, stage.height * Screen.devicePixelRatio)
                fillMode: Image.PreserveAspectFit
                asynchronous: true
                visible: status === Image.Ready
                onStatusChanged: {
                    if (status === Image.Error)
                        popup.preview.pictureFailed();
                }
            }

            Spinner {
                anchors.centerIn: parent
                size: Theme.largeIconSize * 2
                visible: popup.preview.loading || picture.status === Image.Loading
            }

            ColumnLayout {
                anchors.centerIn: parent
                width: Math.min(parent.width - 40, 380)
                visible: popup.preview.problemText !== ""
                spacing: Theme.spacingM

                SymbolIcon {
                    source: popup.preview.iconSource
                    size: 40
                    tint: problem.color
                    Layout.alignment: Qt.AlignHCenter
                }
                PlainText {
                    id: problem
                    objectName: "previewProblem"
                    text: popup.preview.problemText
                    secondary: true
                    wrapMode: Text.Wrap
                    horizontalAlignment: Text.AlignHCenter
                    Layout.fillWidth: true
                }
            }
        }

        PlainText {
            role: PlainText.Caption
            secondary: true
            text: popup.preview.hintText
            horizontalAlignment: Text.AlignHCenter
            Layout.fillWidth: true
        }
    }
}
