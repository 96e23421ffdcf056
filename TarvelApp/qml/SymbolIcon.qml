import QtQuick
import QtQuick.Controls.impl
import "Icons.js" as Icons

// A monochrome icon of the app's own set, drawn in one tint.
IconImage {
    property string symbol
    property int size: 16
    property color tint: "black"

    source: Icons.source(symbol)
    sourceSize.width: size
    sourceSize.height: size
    color: tint
    fillMode: Image.PreserveAspectFit
}
