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
    required property string iconName
    required property color iconTint
    required property string actionIconName
    required property string actionTitle
    property ContentView contentView

    readonly property bool clickable: isFolder && contentView.rowActionsEnabled

    objectName: "entryRow"
    leftPadding: 8
    rightPadding: 6
    // The row's own 3 above and below, plus the inset list's 3 between rows.
    topPadding: 3 + 3
    bottomPadding: 3 + 3
    hoverEnabled: true

    background: Rectangle {
        radius: 5
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
        spacing: 10

        SymbolIcon {
            symbol: row.iconName
            tint: row.iconTint
            size: 18
            Layout.preferredWidth: 22
            Layout.alignment: Qt.AlignVCenter
            horizontalAlignment: Image.AlignHCenter
        }

        ColumnLayout {
            spacing: 2
            Layout.fillWidth: true
            // The flexible gap before the button, at least 10 wide.
            Layout.rightMargin: 10

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
            symbol: row.actionIconName
            implicitWidth: implicitHeight + 4
            enabled: row.contentView.rowActionsEnabled
            Accessible.name: row.actionTitle
            onClicked: row.contentView.startRowAction(row.index)

            PlainToolTip {
                text: row.actionTitle
                visible: parent.hovered
                delay: 600
            }
        }
    }
}
