import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

// Under the listing: how many rows are selected and how large they are, and what can be
// done with them. Always in place, so selecting moves no row.
RowLayout {
    id: bar

    required property ContentView contentView

    spacing: Theme.spacingL

    PlainText {
        objectName: "selectionText"
        role: PlainText.Callout
        text: bar.contentView.selectionText
        maximumLineCount: 1
        elide: Text.ElideRight
        Layout.fillWidth: true
    }

    SymbolButton {
        objectName: "downloadSelectionButton"
        text: bar.contentView.downloadSelectionTitle
        icon.source: bar.contentView.downloadSelectionIconSource
        enabled: bar.contentView.downloadSelectionEnabled
        onClicked: bar.contentView.startDownloadSelection()
    }
}
