import QtQuick
import QtQuick.Controls
import Tarvel

// The style's tooltip shows rich text; a tooltip can name a file from the phone.
ToolTip {
    id: tip

    contentItem: Text {
        text: tip.text
        textFormat: Text.PlainText
        font.pixelSize: Theme.calloutSize
        wrapMode: Text.Wrap
        color: tip.palette.toolTipText
    }
}
