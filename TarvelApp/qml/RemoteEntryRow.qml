import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

// One row of the listing. A click selects the row (Ctrl and Shift add to the selection,
// as in a file manager), a double click opens a folder or downloads a file, a right click
// opens the context menu; the check mark toggles the row; the button opens the folder or
// downloads the file, only when the presenter allows it. Clicks, keys and the rules behind
// them live in the presenter.
ItemDelegate {
    id: row

    required property int index
    required property string name
    required property bool isFolder
    required property string detailText
    required property string infoText
    required property url iconSource
    required property color iconTint
    required property url actionIconSource
    required property string actionTitle
    required property string actionAccessibleName
    required property string selectTitle
    required property bool selected
    required property url thumbnailSource
    required property string accessibleName
    required property string modifiedText
    property BrowserPresenter browser

    // A right click, where it was in the window.
    signal menuRequested(point at)

    // Where the keyboard is: shown while the list has the focus.
    readonly property bool keyboardCurrent: ListView.isCurrentItem && ListView.view.activeFocus
    readonly property color highlight: palette.highlight

    objectName: "entryRow"
    leftPadding: Theme.spacingM
    rightPadding: Theme.spacingS
    // The row's own 3 above and below, plus the inset list's 3 between rows.
    topPadding: Theme.spacingXS + Theme.spacingXS
    bottomPadding: Theme.spacingXS + Theme.spacingXS
    hoverEnabled: true
    // The list takes the focus and hands it to its current row, whose keys are the list's:
    // Space and Enter must not press the row as a button.
    focusPolicy: Qt.NoFocus
    Keys.forwardTo: [ListView.view]

    Accessible.name: accessibleName
    Accessible.description: modifiedText
    Accessible.selectable: true
    Accessible.selected: selected

    background: Rectangle {
        radius: Theme.rowRadius
        color: Qt.rgba(row.highlight.r, row.highlight.g, row.highlight.b,
                       row.selected ? (row.hovered ? 0.32 : 0.25) : row.hovered ? 0.10 : 0)
        border.width: row.keyboardCurrent ? Theme.focusRingWidth : 0
        border.color: row.highlight
    }

    // Above the row itself, which as a button would take the click without its keyboard
    // modifiers, and under the content, so the check mark and the button keep theirs.
    MouseArea {
        z: 0.5
        anchors.fill: parent
        acceptedButtons: Qt.LeftButton | Qt.RightButton
        onClicked: mouse => {
            row.ListView.view.forceActiveFocus(Qt.MouseFocusReason);
            if (mouse.button === Qt.RightButton)
                row.menuRequested(mapToItem(null, mouse.x, mouse.y));
            else
                row.browser.clickRow(row.index, mouse.modifiers);
        }
        onDoubleClicked: mouse => {
            if (mouse.button === Qt.LeftButton && mouse.modifiers === Qt.NoModifier)
                row.browser.activateRow(row.index);
        }
    }

    contentItem: RowLayout {
        z: 1
        spacing: Theme.spacingM

        // The picture, or the kind's icon while there is none, which give way to a check
        // mark on hover and on a selected row.
        Item {
            implicitWidth: Theme.rowThumbnailSize
            implicitHeight: Math.max(kindIcon.implicitHeight, check.implicitHeight)
            Layout.alignment: Qt.AlignVCenter

            Image {
                id: picture
                objectName: "rowThumbnail"
                anchors.centerIn: parent
                width: Theme.rowThumbnailSize
                height: Theme.rowThumbnailSize
                source: row.thumbnailSource
                sourceSize.width: Theme.rowThumbnailSize * 2
                sourceSize.height: Theme.rowThumbnailSize * 2
                fillMode: Image.PreserveAspectCrop
                asynchronous: true
                visible: status === Image.Ready && !check.visible
            }

            SymbolIcon {
                id: kindIcon
                anchors.centerIn: parent
                visible: !check.visible && !picture.visible
                source: row.iconSource
                tint: row.iconTint
                size: Theme.largeIconSize
            }

            CheckBox {
                id: check
                objectName: "entryCheck"
                anchors.centerIn: parent
                padding: 0
                visible: row.hovered || row.selected
                checked: row.selected
                focusPolicy: Qt.NoFocus
                Accessible.name: row.selectTitle
                onClicked: row.browser.toggleRowSelection(row.index)
            }
        }

        ColumnLayout {
            spacing: Theme.spacingXXS
            Layout.fillWidth: true
            // The flexible gap before the button, at least 10 wide.
            Layout.rightMargin: Theme.spacingXS

            PlainText {
                id: nameText
                objectName: "entryName"
                role: PlainText.Callout
                text: row.name
                maximumLineCount: 1
                // Camera names differ at their ends: keep both.
                elide: Text.ElideMiddle
                Layout.fillWidth: true

                PlainToolTip {
                    text: row.name
                    visible: nameText.truncated && row.hovered
                    delay: Theme.toolTipDelay
                }
            }

            PlainText {
                objectName: "entryInfo"
                role: PlainText.Caption
                secondary: true
                text: row.infoText
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
            // A folder opens also during a transfer; a file waits for the transfer to end.
            enabled: row.isFolder ? row.browser.browseEnabled : row.browser.rowActionsEnabled
            // The list takes the focus once; its rows' buttons are reached by Enter.
            focusPolicy: Qt.NoFocus
            Accessible.name: row.actionAccessibleName
            toolTipText: row.actionTitle
            onClicked: row.browser.startRowAction(row.index)
        }
    }
}
