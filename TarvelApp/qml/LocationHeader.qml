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

    RowLayout {
        spacing: Theme.spacingM
        Layout.fillWidth: true

        PlainText {
            objectName: "locationDetail"
            role: PlainText.Caption
            secondary: true
            text: header.browser.locationDetailText
            // Beside the sort controls a narrow window leaves it little room: the free
            // space goes to a second line rather than being cut short.
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
            Layout.fillWidth: true
        }

        PlainText {
            role: PlainText.Caption
            secondary: true
            text: header.browser.sortLabel
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
