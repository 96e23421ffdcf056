import QtQuick
import QtQuick.Layouts
import Tarvel

// A label: an icon before a title in the callout font.
RowLayout {
    id: label

    property url iconSource
    property alias text: title.text

    spacing: Theme.spacingS

    SymbolIcon {
        source: label.iconSource
        tint: title.color
        size: 14
    }

    PlainText {
        id: title
        role: PlainText.Callout
        wrapMode: Text.Wrap
        Layout.fillWidth: true
    }
}
