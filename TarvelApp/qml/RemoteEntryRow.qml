import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

// One row of the listing. A folder opens from a click anywhere on the row or from its
// chevron; a file downloads from its button. Both only when the presenter allows it.
Control {
    id: row

    required property int index
    required property string name
    required property bool isFolder
    required property string detailText
    required property url iconSource
    required property color iconTint
    required property url actionIconSource
    required property string actionTitle
    property ContentView contentView

    readonly property bool clickable: isFolder && contentView.rowActionsEnabled

    objectName: "entryRow"
    leftPadding: Theme.spacingM
    rightPadding: Theme.spacingS
    // The row's own 3 above and below, plus the inset list's 3 between rows.
    topPadding: Theme.spacingXS + Theme.spacingXS
    bottomPadding: Theme.spacingXS + Theme.spacingXS
    hoverEnabled: true

    background: Rectangle {
        radius: Theme.rowRadius
        color: row.clickable && row.hovered ? Qt.rgba(row.palette.highlight.r, row.palette.highlight.g,
                                                       row.palette.highlight.b, 0.12)
                                            : "transparent"
    }

    // Under the content, so the row's button keeps its own clicks.
    MouseArea {
        z: -0.5
        anchors.fill: parent
        enabled: row.clickable
        cursorShape: row.clickable ? Qt.PointingHandCursor : Qt.ArrowCursor
        onClicked: row.contentView.startOpenFolder(row.index)
    }

    contentItem: RowLayout {
        spacing: Theme.spacingL

        SymbolIcon {
            source: row.iconSource
            tint: row.iconTint
            size: 18
            Layout.preferredWidth: 22
            Layout.alignment: Qt.AlignVCenter
            horizontalAlignment: Image.AlignHCenter
        }

        ColumnLayout {
            spacing: Theme.spacingXXS
            Layout.fillWidth: true
            // The flexible gap before the button, at least 10 wide.
            Layout.rightMargin: Theme.spacingL

            PlainText {
                objectName: "entryName"
                role: PlainText.Callout
                text: row.name
                maximumLineCount: 1
                elide: Text.ElideRight
                Layout.fillWidth: true
            }

            PlainText {
                role: PlainText.Caption
                secondary: true
                text: row.detailText
                maximumLineCount: 1
                elide: Text.ElideRight
                Layout.fillWidth: true
            }
        }

        SymbolButton {
            objectName: "entryActionButton"
            flat: true
            display: AbstractButton.IconOnly
            icon.source: row.actionIconSource
            implicitWidth: implicitHeight + 4
            enabled: row.contentView.rowActionsEnabled
            Accessible.name: row.actionTitle
            toolTipText: row.actionTitle
            onClicked: row.contentView.startRowAction(row.index)
        }
    }
}
