import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

// The browser's own actions beside its header: New Folder, Rename, Delete and the filter.
// The keyboard reaches them by their keys (Ctrl+Shift+N, F2, Delete, Ctrl+F), so they
// take no place in the Tab order.
RowLayout {
    id: bar

    required property BrowserPresenter browser

    spacing: Theme.spacingXXS

    component ToolButton: SymbolButton {
        flat: true
        display: AbstractButton.IconOnly
        focusPolicy: Qt.NoFocus
        implicitWidth: implicitHeight + 2
        Accessible.name: toolTipText
    }

    ToolButton {
        objectName: "newFolderButton"
        icon.source: bar.browser.files.newFolderIconSource
        toolTipText: bar.browser.files.newFolderTitle
        enabled: bar.browser.files.newFolderEnabled
        onClicked: bar.browser.files.askNewFolder()
    }

    ToolButton {
        objectName: "renameButton"
        icon.source: bar.browser.files.renameIconSource
        toolTipText: bar.browser.files.renameTitle
        enabled: bar.browser.files.renameEnabled
        onClicked: bar.browser.files.askRename()
    }

    ToolButton {
        objectName: "deleteButton"
        icon.source: bar.browser.files.deleteIconSource
        toolTipText: bar.browser.files.deleteTitle
        enabled: bar.browser.files.deleteEnabled
        onClicked: bar.browser.files.askDelete()
    }

    ToolButton {
        objectName: "filterButton"
        icon.source: bar.browser.filterIconSource
        toolTipText: bar.browser.filterTitle
        checkable: true
        checked: bar.browser.filterOpen
        onClicked: checked ? bar.browser.openFilter() : bar.browser.closeFilter()
    }
}
