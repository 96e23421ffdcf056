import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

// Below the transfers, one line until the user opens it: asking for support should never
// be the loudest thing in a window that is there to move files.
ColumnLayout {
    id: section

    required property DonationPresenter donation
    property bool expanded: false

    spacing: Theme.spacingL

    Divider {
        Layout.fillWidth: true
    }

    SymbolButton {
        objectName: "supportToggle"
        text: section.donation.supportTitle
        icon.source: section.expanded ? section.donation.disclosureOpenIconSource
                                      : section.donation.disclosureClosedIconSource
        flat: true
        font.bold: true
        onClicked: section.expanded = !section.expanded
    }

    PlainText {
        id: statement
        visible: section.expanded
        role: PlainText.Caption
        secondary: true
        text: section.donation.supportStatement
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
            active: section.donation.donationQRCodeSource.toString() !== ""
            visible: active
            Layout.preferredWidth: Theme.qrCodeSize
            Layout.preferredHeight: Theme.qrCodeSize
            Layout.alignment: Qt.AlignTop

            sourceComponent: Rectangle {
                color: "white"
                Accessible.role: Accessible.Graphic
                Accessible.name: section.donation.donationQRCodeName

                Image {
                    anchors.fill: parent
                    source: section.donation.donationQRCodeSource
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
                text: section.donation.donationAddressCaption
            }

            TextEdit {
                id: address
                objectName: "donationAddress"
                text: section.donation.donationAddress
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
        text: section.donation.copyAddressTitle
        icon.source: section.donation.copyAddressIconSource
        font.pixelSize: Theme.captionSize
        Layout.fillWidth: true
        onClicked: section.donation.copyDonationAddress()
    }

    SymbolButton {
        objectName: "koFiButton"
        visible: section.expanded
        text: section.donation.koFiTitle
        icon.source: section.donation.koFiIconSource
        font.pixelSize: Theme.captionSize
        Layout.fillWidth: true
        onClicked: section.donation.openKoFi()
    }

    SymbolButton {
        objectName: "walletButton"
        visible: section.expanded
        text: section.donation.walletTitle
        icon.source: section.donation.walletIconSource
        font.pixelSize: Theme.captionSize
        Layout.fillWidth: true
        onClicked: section.donation.openBitcoinWallet()
    }
}
