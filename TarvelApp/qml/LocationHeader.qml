import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

// The browser's header beside the Up button: the breadcrumb with the browser's actions,
// then how many items the folder holds with the storage's free space, and how the rows
// are sorted, which way; under them the phone's USB link once the bus has told it, with a
// hint when another port or cable would copy faster.
ColumnLayout {
    id: header

    required property BrowserPresenter browser

    signal breadcrumbOpened()

    spacing: Theme.spacingXS

    // The actions share the breadcrumb's line, so the line under it keeps its width.
    RowLayout {
        spacing: Theme.spacingM
        Layout.fillWidth: true

        Breadcrumb {
            browser: header.browser
            onOpened: header.breadcrumbOpened()
            Layout.fillWidth: true
        }

        BrowserToolbar {
            browser: header.browser
            Layout.alignment: Qt.AlignTop
        }
    }

    // The count line sits beside the sort controls while two lines there hold it; where
    // they cannot (a narrow window, a longer language) it takes a line of its own above
    // them, whole, and the controls keep to the right.
    GridLayout {
        id: details

        readonly property real besideWidth: width - sortLabel.implicitWidth - sort.implicitWidth
                                            - reverse.implicitWidth - 3 * columnSpacing
        // Two lines of words never fill both lines to the end: a tenth is left for that.
        readonly property bool beside: detail.implicitWidth <= 1.8 * besideWidth

        columns: beside ? 4 : 3
        columnSpacing: Theme.spacingM
        rowSpacing: Theme.spacingXS
        Layout.fillWidth: true

        PlainText {
            id: detail
            objectName: "locationDetail"
            role: PlainText.Caption
            secondary: true
            text: header.browser.locationDetailText
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
            Layout.columnSpan: details.beside ? 1 : 3
            Layout.fillWidth: true
        }

        PlainText {
            id: sortLabel
            role: PlainText.Caption
            secondary: true
            text: header.browser.sortLabel
            Layout.fillWidth: !details.beside
            horizontalAlignment: details.beside ? Text.AlignLeft : Text.AlignRight
        }

        ComboBox {
            id: sort
            objectName: "sortChooser"
            model: header.browser.sortTitles
            currentIndex: header.browser.sortIndex
            // The order with its direction: "Date, newest first".
            displayText: header.browser.sortText
            implicitContentWidthPolicy: ComboBox.WidestText
            font.pixelSize: Theme.captionSize
            Accessible.name: header.browser.sortLabel
            onActivated: index => header.browser.setSortIndex(index)

            FocusRing {}
        }

        SymbolButton {
            id: reverse
            objectName: "reverseSortButton"
            icon.source: header.browser.reverseSortIconSource
            display: AbstractButton.IconOnly
            flat: true
            implicitWidth: implicitHeight
            Accessible.name: header.browser.reverseSortTitle
            toolTipText: header.browser.reverseSortTitle
            onClicked: header.browser.reverseSort()
        }
    }

    RowLayout {
        objectName: "linkLine"
        visible: header.browser.linkText !== ""
        spacing: Theme.spacingM
        Layout.fillWidth: true

        PlainText {
            objectName: "linkText"
            role: PlainText.Caption
            secondary: true
            text: header.browser.linkText
        }

        PlainText {
            objectName: "linkHint"
            role: PlainText.Caption
            visible: text !== ""
            text: header.browser.linkHint
            maximumLineCount: 1
            elide: Text.ElideRight
            Layout.fillWidth: true
        }
    }
}
