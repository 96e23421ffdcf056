import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

// The running transfer: for a batch, how far the whole is; then what goes where, its bar
// and bytes, speed and time left, and Cancel (Escape does the same).
ColumnLayout {
    id: summary

    required property ContentView contentView

    spacing: Theme.spacingM

    // A batch: which file of how many, its bytes and time left, over its own bar.
    PlainText {
        objectName: "batchText"
        visible: summary.contentView.hasBatch
        role: PlainText.Caption
        text: summary.contentView.batchText
        wrapMode: Text.Wrap
        Layout.fillWidth: true
    }

    ProgressBar {
        objectName: "batchProgress"
        visible: summary.contentView.hasBatch
        indeterminate: summary.contentView.batchProgress <= 0
        value: summary.contentView.batchProgress
        Accessible.name: summary.contentView.batchText
        Layout.fillWidth: true
    }

    IconTitle {
        objectName: "transferTitle"
        iconSource: summary.contentView.currentTransferIconSource
        text: summary.contentView.currentTransferTitle
        Layout.fillWidth: true
    }

    PlainText {
        objectName: "transferRoute"
        visible: summary.contentView.showsCurrentFile
        role: PlainText.Caption
        secondary: true
        text: summary.contentView.currentTransferRouteText
        wrapMode: Text.WrapAtWordBoundaryOrAnywhere
        maximumLineCount: 2
        elide: Text.ElideRight
        Layout.fillWidth: true
    }

    ProgressBar {
        objectName: "transferProgress"
        visible: summary.contentView.showsCurrentFile
        indeterminate: summary.contentView.transferBarIndeterminate
        value: summary.contentView.transferProgress
        Accessible.name: summary.contentView.transferBytesText
        Layout.fillWidth: true
    }

    PlainText {
        objectName: "transferBytes"
        visible: summary.contentView.transferHasProgress && summary.contentView.showsCurrentFile
        role: PlainText.Caption
        text: summary.contentView.transferBytesText
        Layout.fillWidth: true
    }

    PlainText {
        objectName: "transferRate"
        visible: text !== ""
        role: PlainText.Caption
        secondary: true
        text: summary.contentView.transferRateText
        Layout.fillWidth: true
    }

    SymbolButton {
        objectName: "cancelTransferButton"
        text: summary.contentView.cancelTransferTitle
        enabled: summary.contentView.cancelTransferEnabled
        Layout.alignment: Qt.AlignRight
        onClicked: summary.contentView.startCancelTransfer()
    }

    Shortcut {
        sequence: "Escape"
        enabled: summary.visible && summary.contentView.cancelTransferEnabled
        onActivated: summary.contentView.startCancelTransfer()
    }
}
