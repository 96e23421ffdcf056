import QtQuick
import QtQuick.Layouts

// A label: an icon before a title in the callout font.
RowLayout {
    id: label

    property string symbol
    property alias text: title.text

    spacing: 6

    SymbolIcon {
        symbol: label.symbol
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
