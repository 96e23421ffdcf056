import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

ApplicationWindow {
    id: window

    required property ContentView contentView

    title: contentView.windowTitle
    minimumWidth: 760
    minimumHeight: 460
    // Opens at the panes' preferred widths.
    width: 820
    height: 560

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        StatusBar {
            contentView: window.contentView
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
                contentView: window.contentView
                SplitView.minimumWidth: 420
                SplitView.preferredWidth: 520
                SplitView.fillWidth: true
            }

            LocalActions {
                objectName: "localActions"
                contentView: window.contentView
                SplitView.minimumWidth: 260
                SplitView.preferredWidth: 300
                SplitView.maximumWidth: 340
            }
        }
    }
}
