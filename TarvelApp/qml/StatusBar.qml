import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

Pane {
    id: bar

    required property ContentView contentView

    leftPadding: 14
    rightPadding: 14
    topPadding: 10
    bottomPadding: 10
    background: Rectangle {
        color: Qt.darker(bar.palette.window, 1.03)
    }

    RowLayout {
        anchors.fill: parent
        spacing: 10

        Item {
            Layout.preferredWidth: 18
            Layout.preferredHeight: 18

            BusyIndicator {
                objectName: "statusSpinner"
                anchors.fill: parent
                padding: 0
                visible: bar.contentView.showsStatusSpinner
                running: visible
            }

            SymbolIcon {
                objectName: "statusIcon"
                anchors.centerIn: parent
                visible: !bar.contentView.showsStatusSpinner
                symbol: bar.contentView.statusIconName
                tint: bar.contentView.statusTint
                size: 16
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
            Layout.rightMargin: 12
        }

        SymbolButton {
            objectName: "refreshButton"
            text: bar.contentView.refreshTitle
            symbol: "arrow.clockwise"
            enabled: bar.contentView.refreshEnabled
            onClicked: bar.contentView.startRefresh()
        }
    }
}
