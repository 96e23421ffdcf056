import QtQuick
import QtQuick.Controls

Control {
    implicitHeight: 1
    background: Rectangle {
        color: palette.mid
    }
}
