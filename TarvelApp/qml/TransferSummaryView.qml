import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

// The running transfer: for a batch, how far the whole is; then what goes where, its bar
// and bytes, speed and time left, and Cancel (Escape does the same).
ColumnLayout {
    id: summary

    required property TransferPresenter transfers

    spacing: Theme.spacingM

    // A batch of several files: which file of how many, its bytes and time left, over its
    // own bar. One file's copy has the file's bar only: a second would say the same.
    PlainText {
        objectName: "batchText"
        visible: summary.transfers.showsBatchProgress
        role: PlainText.Caption
        text: summary.transfers.batchText
        wrapMode: Text.Wrap
        Layout.fillWidth: true
    }

    ProgressBar {
        objectName: "batchProgress"
        visible: summary.transfers.showsBatchProgress
        indeterminate: summary.transfers.batchProgress <= 0
        value: summary.transfers.batchProgress
        Accessible.name: summary.transfers.batchText
        Layout.fillWidth: true
    }

    IconTitle {
        objectName: "transferTitle"
        iconSource: summary.transfers.transferIconSource
        text: summary.transfers.transferTitle
        Layout.fillWidth: true
    }

    PlainText {
        objectName: "transferRoute"
        visible: summary.transfers.showsCurrentFile
        role: PlainText.Caption
        secondary: true
        text: summary.transfers.transferRouteText
        wrapMode: Text.WrapAtWordBoundaryOrAnywhere
        maximumLineCount: 2
        elide: Text.ElideRight
        Layout.fillWidth: true
    }

    ProgressBar {
        objectName: "transferProgress"
        visible: summary.transfers.showsCurrentFile
        indeterminate: summary.transfers.transferBarIndeterminate
        value: summary.transfers.transferProgress
        Accessible.name: summary.transfers.transferBytesText
        Layout.fillWidth: true
    }

    PlainText {
        objectName: "transferBytes"
        visible: summary.transfers.transferHasProgress && summary.transfers.showsCurrentFile
        role: PlainText.Caption
        text: summary.transfers.transferBytesText
        Layout.fillWidth: true
    }

    PlainText {
        objectName: "transferRate"
        visible: text !== ""
        role: PlainText.Caption
        secondary: true
        text: summary.transfers.transferRateText
        Layout.fillWidth: true
    }

    SymbolButton {
        objectName: "cancelTransferButton"
        text: summary.transfers.cancelTransferTitle
        enabled: summary.transfers.cancelTransferEnabled
        Layout.alignment: Qt.AlignRight
        onClicked: summary.transfers.startCancelTransfer()
    }

    Shortcut {
        sequence: "Escape"
        enabled: summary.visible && summary.transfers.cancelTransferEnabled
        onActivated: summary.transfers.startCancelTransfer()
    }
}
