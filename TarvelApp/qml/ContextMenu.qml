import QtQuick
import QtQuick.Controls
import Tarvel

// What can be done with the rows selected, and a new folder here: opened by a right click
// and by the Menu key.
Menu {
    id: menu

    required property FileActionsPresenter files

    objectName: "contextMenu"

    MenuItem {
        objectName: "menuOpen"
        text: menu.files.openTitle
        enabled: menu.files.openEnabled
        onTriggered: menu.files.openFromMenu()
    }
    MenuItem {
        objectName: "menuDownload"
        text: menu.files.downloadTitle
        enabled: menu.files.downloadEnabled
        onTriggered: menu.files.downloadFromMenu()
    }
    MenuSeparator {}
    MenuItem {
        objectName: "menuRename"
        text: menu.files.renameTitle
        enabled: menu.files.renameEnabled
        onTriggered: menu.files.askRename()
    }
    MenuItem {
        objectName: "menuDelete"
        text: menu.files.deleteTitle
        enabled: menu.files.deleteEnabled
        onTriggered: menu.files.askDelete()
    }
    MenuSeparator {}
    MenuItem {
        objectName: "menuNewFolder"
        text: menu.files.newFolderTitle
        enabled: menu.files.newFolderEnabled
        onTriggered: menu.files.askNewFolder()
    }
}
