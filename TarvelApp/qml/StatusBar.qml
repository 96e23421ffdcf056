import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

Pane {
    id: bar

    required property StatusPresenter status

    leftPadding: Theme.paneMargin
    rightPadding: Theme.paneMargin
    topPadding: Theme.spacingL
    bottomPadding: Theme.spacingL
    background: Rectangle {
        color: Qt.darker(bar.palette.window, 1.03)
    }

    // Window-wide, like a file manager's: they work wherever the focus is.
    Shortcut {
        sequences: ["F5", "Ctrl+R"]
        onActivated: bar.status.startRefresh()
    }

    RowLayout {
        anchors.fill: parent
        spacing: Theme.spacingL

        Item {
            Layout.preferredWidth: Theme.largeIconSize
            Layout.preferredHeight: Theme.largeIconSize

            Spinner {
                id: spinner
                objectName: "statusSpinner"
                anchors.centerIn: parent
                size: Theme.largeIconSize
                visible: bar.status.showsStatusSpinner
            }

            SymbolIcon {
                objectName: "statusIcon"
                anchors.centerIn: parent
                visible: !spinner.visible
                source: bar.status.statusIconSource
                tint: bar.status.statusTint
                size: Theme.iconSize
            }
        }

        PlainText {
            objectName: "statusText"
            role: PlainText.Callout
            text: bar.status.statusMessage
            // A long sentence (what to do about a phone that cannot be used, in German)
            // takes a second line rather than losing its middle.
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
            // Takes the free space, which keeps Refresh at the edge and clear of a long status.
            Layout.fillWidth: true
            Layout.rightMargin: Theme.spacingXL

            StatusAnnouncer {
                text: bar.status.statusMessage
            }
        }

        SymbolButton {
            objectName: "refreshButton"
            text: bar.status.refreshTitle
            icon.source: bar.status.refreshIconSource
            enabled: bar.status.refreshEnabled
            onClicked: bar.status.startRefresh()
        }
    }
}
