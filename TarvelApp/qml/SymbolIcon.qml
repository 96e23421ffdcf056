import QtQuick
import QtQuick.Controls.impl

// A monochrome icon of the app's own set (source, from the presenter), drawn in one tint.
IconImage {
    property int size: 16
    property color tint: "black"

    sourceSize.width: size
    sourceSize.height: size
    color: tint
    fillMode: Image.PreserveAspectFit
}
