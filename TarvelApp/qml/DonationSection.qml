import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

// Below the transfers, one line until the user opens it: asking for support should never
// be the loudest thing in a window that is there to move files.
ColumnLayout {
    id: section

    required property ContentView contentView
    property bool expanded: false

    spacing: Theme.spacingL

    Divider {
        Layout.fillWidth: true
    }

    SymbolButton {
        objectName: "supportToggle"
        text: section.contentView.supportTitle
        icon.source: section.expanded ? section.contentView.disclosureOpenIconSource
                                      : section.contentView.disclosureClosedIconSource
        flat: true
        font.bold: true
        onClicked: section.expanded = !section.expanded
    }

    PlainText {
        id: statement
        visible: section.expanded
        role: PlainText.Caption
        secondary: true
        text: section.contentView.supportStatement
        wrapMode: Text.Wrap
        Layout.fillWidth: true
    }

    RowLayout {
        visible: section.expanded
        spacing: Theme.spacingL
        Layout.fillWidth: true

        // Without the image the address stands alone at the left.
        Loader {
            objectName: "donationQRCode"
            active: section.contentView.donationQRCodeSource.toString() !== ""
            visible: active
            Layout.preferredWidth: Theme.qrCodeSize
            Layout.preferredHeight: Theme.qrCodeSize
            Layout.alignment: Qt.AlignTop

            sourceComponent: Rectangle {
                color: "white"
                Accessible.role: Accessible.Graphic
                Accessible.name: section.contentView.donationQRCodeName

                Image {
                    anchors.fill: parent
                    source: section.contentView.donationQRCodeSource
                    fillMode: Image.Stretch
                    // Crisp modules: a smoothed QR code scans worse.
                    smooth: false
                    mipmap: false
                }

                // Rounds the corners: a frame in the pane's colour whose inner edge has
                // the image's radius.
                Rectangle {
                    anchors.fill: parent
                    anchors.margins: -Theme.imageRadius
                    radius: 2 * Theme.imageRadius
                    color: "transparent"
                    border.width: Theme.imageRadius
                    border.color: statement.palette.base
                }
            }
        }

        ColumnLayout {
            spacing: Theme.spacingS
            Layout.fillWidth: true
            Layout.alignment: Qt.AlignTop

            PlainText {
                role: PlainText.Caption
                secondary: true
                text: section.contentView.donationAddressCaption
            }

            TextEdit {
                id: address
                objectName: "donationAddress"
                text: section.contentView.donationAddress
                textFormat: TextEdit.PlainText
                readOnly: true
                selectByMouse: true
                wrapMode: TextEdit.WrapAnywhere
                font.family: "monospace"
                font.pixelSize: Theme.smallCaptionSize
                color: statement.palette.windowText
                selectionColor: statement.palette.highlight
                selectedTextColor: statement.palette.highlightedText
                clip: true
                Layout.fillWidth: true
                Layout.maximumHeight: Math.ceil(fontMetrics.lineSpacing * 4)

                FontMetrics {
                    id: fontMetrics
                    font: address.font
                }
            }
        }
    }

    SymbolButton {
        objectName: "copyAddressButton"
        visible: section.expanded
        text: section.contentView.copyAddressTitle
        icon.source: section.contentView.copyAddressIconSource
        font.pixelSize: Theme.captionSize
        Layout.fillWidth: true
        onClicked: section.contentView.copyDonationAddress()
    }

    SymbolButton {
        objectName: "koFiButton"
        visible: section.expanded
        text: section.contentView.koFiTitle
        icon.source: section.contentView.koFiIconSource
        font.pixelSize: Theme.captionSize
        Layout.fillWidth: true
        onClicked: section.contentView.openKoFi()
    }

    SymbolButton {
        objectName: "walletButton"
        visible: section.expanded
        text: section.contentView.walletTitle
        icon.source: section.contentView.walletIconSource
        font.pixelSize: Theme.captionSize
        Layout.fillWidth: true
        onClicked: section.contentView.openBitcoinWallet()
    }
}
