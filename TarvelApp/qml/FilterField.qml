import QtQuick
import QtQuick.Controls
import Tarvel

// Narrows the rows to the names that hold what is typed. Escape clears it and closes it;
// Down, Enter and Escape hand the keyboard back to the list.
TextField {
    id: field

    required property BrowserPresenter browser

    signal done()

    objectName: "filterField"
    visible: browser.filterOpen
    placeholderText: browser.filterPlaceholder
    Accessible.name: browser.filterPlaceholder
    font.pixelSize: Theme.calloutSize

    onTextEdited: browser.setFilterText(text)
    onVisibleChanged: {
        if (visible)
            forceActiveFocus(Qt.ShortcutFocusReason)
    }
    Connections {
        target: field.browser
        function onFilterChanged() {
            if (field.text !== field.browser.filterText)
                field.text = field.browser.filterText
        }
    }

    // Escape is the filter's while it has the keyboard, before any window-wide use of it.
    Keys.onShortcutOverride: event => event.accepted = event.key === Qt.Key_Escape
    Keys.onEscapePressed: {
        field.browser.closeFilter()
        field.done()
    }
    Keys.onDownPressed: field.done()
    Keys.onReturnPressed: field.done()
    Keys.onEnterPressed: field.done()

    FocusRing {}
}
