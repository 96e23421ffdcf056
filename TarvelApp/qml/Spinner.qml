import QtQuick

// The busy sign: twelve spokes that turn a step at a time, twelve frames a second. A ring
// redrawn sixty times a second took a fifth of a slow computer's processor from the copy
// or the listing it stood for.
SymbolIcon {
    id: spinner

    property bool running: visible

    source: "qrc:/qt/qml/Tarvel/icons/progress.indicator.svg"
    size: Theme.iconSize
    tint: palette.text
    Accessible.role: Accessible.Indicator
    Accessible.name: qsTr("Busy")

    Timer {
        interval: 83
        repeat: true
        running: spinner.running
        onTriggered: spinner.rotation = (spinner.rotation + 30) % 360
    }
}
