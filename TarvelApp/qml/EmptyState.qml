import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

// What the listing area says when there is nothing to list.
Item {
    id: empty

    property url iconSource
    property string title
    property string description

    ColumnLayout {
        anchors.centerIn: parent
        width: Math.min(parent.width - 40, 380)
        spacing: Theme.spacingM

        SymbolIcon {
            objectName: "emptyStateIcon"
            source: empty.iconSource
            size: 40
            tint: descriptionText.color
            Layout.alignment: Qt.AlignHCenter
        }

        PlainText {
            objectName: "emptyStateTitle"
            text: empty.title
            font.pixelSize: Theme.titleSize
            font.bold: true
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }

        PlainText {
            id: descriptionText
            objectName: "emptyStateDescription"
            text: empty.description
            secondary: true
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }
    }
}
