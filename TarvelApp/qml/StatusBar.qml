import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

Pane {
    id: bar

    required property ContentView contentView

    leftPadding: Theme.paneMargin
    rightPadding: Theme.paneMargin
    topPadding: Theme.spacingL
    bottomPadding: Theme.spacingL
    background: Rectangle {
        color: Qt.darker(bar.palette.window, 1.03)
    }

    RowLayout {
        anchors.fill: parent
        spacing: Theme.spacingL

        Item {
            Layout.preferredWidth: Theme.largeIconSize
            Layout.preferredHeight: Theme.largeIconSize

            // A copy shows its own bar, so the spinner gives way to the copy's arrow: an
            // animation running for the length of a copy draws the window continuously.
            BusyIndicator {
                id: spinner
                objectName: "statusSpinner"
                anchors.fill: parent
                padding: 0
                visible: bar.contentView.showsStatusSpinner && !bar.contentView.hasTransfer
                running: visible
            }

            SymbolIcon {
                objectName: "statusIcon"
                anchors.centerIn: parent
                visible: !spinner.visible
                source: bar.contentView.showsStatusSpinner ? bar.contentView.currentTransferIconSource
                                                           : bar.contentView.statusIconSource
                tint: bar.contentView.statusTint
                size: Theme.iconSize
            }
        }

        PlainText {
            objectName: "statusText"
            role: PlainText.Callout
            text: bar.contentView.statusMessage
            maximumLineCount: 1
            elide: Text.ElideMiddle
            // Takes the free space, which keeps Refresh at the edge and clear of a long status.
            Layout.fillWidth: true
            Layout.rightMargin: Theme.spacingXL

            StatusAnnouncer {
                text: bar.contentView.statusMessage
            }
        }

        SymbolButton {
            objectName: "refreshButton"
            text: bar.contentView.refreshTitle
            icon.source: bar.contentView.refreshIconSource
            enabled: bar.contentView.refreshEnabled
            onClicked: bar.contentView.startRefresh()
        }
    }
}
