import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

ColumnLayout {
    id: summary

    required property ContentView contentView

    spacing: Theme.spacingM

    IconTitle {
        objectName: "transferTitle"
        iconSource: summary.contentView.transferIconSource
        text: summary.contentView.transferTitle
        Layout.fillWidth: true
    }

    PlainText {
        objectName: "transferRoute"
        role: PlainText.Caption
        secondary: true
        text: summary.contentView.transferRouteText
        wrapMode: Text.WrapAtWordBoundaryOrAnywhere
        maximumLineCount: 2
        elide: Text.ElideRight
        Layout.fillWidth: true
    }

    ProgressBar {
        objectName: "transferProgress"
        indeterminate: !summary.contentView.transferHasProgress
        value: summary.contentView.transferProgress
        Layout.fillWidth: true
    }

    PlainText {
        visible: summary.contentView.transferHasProgress
        role: PlainText.Caption
        secondary: true
        text: summary.contentView.transferBytesText
        Layout.fillWidth: true
    }
}
