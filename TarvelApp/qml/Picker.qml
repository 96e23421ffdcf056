import QtQuick
import QtQuick.Controls
import Tarvel

// A choice among a few texts that may come from the phone: shown as plain text, and
// following the presenter's selection even after the user picked (picking only asks).
ComboBox {
    id: picker

    property int selectedIndex: -1
    signal chosen(int index)

    currentIndex: selectedIndex
    onActivated: index => {
        picker.chosen(index);
        currentIndex = Qt.binding(() => picker.selectedIndex);
    }

    contentItem: PlainText {
        leftPadding: Theme.spacingM
        rightPadding: picker.indicator.width + Theme.spacingXS
        text: picker.displayText
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
        maximumLineCount: 1
    }

    delegate: ItemDelegate {
        objectName: "pickerChoice"
        required property int index
        required property string modelData

        width: ListView.view.width
        highlighted: picker.highlightedIndex === index
        contentItem: PlainText {
            text: modelData
            elide: Text.ElideRight
            maximumLineCount: 1
        }
    }
}
