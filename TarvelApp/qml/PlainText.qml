import QtQuick
import QtQuick.Controls
import Tarvel

// Every text in the window. Plain text always: names and messages come from the phone,
// and markup in them must show as the characters it is, never load or style anything.
Label {
    enum Role { Body, Headline, Callout, Caption, SmallCaption }

    property int role: PlainText.Body
    property bool secondary: false

    textFormat: Text.PlainText
    // A headline is body-sized, set apart by weight.
    font.pixelSize: [Theme.bodySize, Theme.bodySize, Theme.calloutSize, Theme.captionSize, Theme.smallCaptionSize][role]
    font.bold: role === PlainText.Headline
    color: secondary ? Qt.tint(palette.windowText, Qt.rgba(palette.window.r, palette.window.g, palette.window.b, 0.45))
                     : palette.windowText
}
