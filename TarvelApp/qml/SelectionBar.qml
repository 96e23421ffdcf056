import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

// Under the listing: how many rows are selected and how large they are, and what can be
// done with them. Always in place, so selecting moves no row.
RowLayout {
    id: bar

    required property BrowserPresenter browser

    spacing: Theme.spacingL

    PlainText {
        objectName: "selectionText"
        role: PlainText.Callout
        text: bar.browser.selectionText
        maximumLineCount: 1
        elide: Text.ElideRight
        Layout.fillWidth: true

        // A screen reader hears the selection change where the eye sees it.
        StatusAnnouncer {
            text: bar.browser.selectionText
        }
    }

    SymbolButton {
        objectName: "downloadSelectionButton"
        text: bar.browser.downloadSelectionTitle
        icon.source: bar.browser.downloadSelectionIconSource
        enabled: bar.browser.downloadSelectionEnabled
        onClicked: bar.browser.startDownloadSelection()
    }
}
