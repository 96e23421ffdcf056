import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tarvel

// Where the listing is: a button for each folder above it, the storage first, then the
// shown folder's name. Wraps onto more lines rather than hide part of a deep path.
Flow {
    id: crumbs

    required property BrowserPresenter browser

    // A breadcrumb is about to open its folder: its button goes with the path it belongs
    // to, so the keyboard's focus needs a new home first.
    signal opened()

    spacing: Theme.spacingXS

    Repeater {
        model: crumbs.browser.breadcrumbTrail

        delegate: Row {
            id: crumb

            required property int index
            required property string modelData

            spacing: Theme.spacingXXS

            SymbolButton {
                id: button
                objectName: "breadcrumbButton"
                text: crumb.modelData
                flat: true
                enabled: crumbs.browser.upEnabled
                font.pixelSize: Theme.calloutSize
                width: Math.min(contentItem.implicitWidth + leftPadding + rightPadding, crumbs.width / 2)
                contentItem: PlainText {
                    role: PlainText.Callout
                    text: crumb.modelData
                    elide: Text.ElideMiddle
                    color: button.palette.buttonText
                }
                toolTipText: contentItem.truncated ? crumb.modelData : ""
                onClicked: {
                    crumbs.opened();
                    crumbs.browser.startOpenBreadcrumb(crumb.index);
                }
            }

            SymbolIcon {
                source: crumbs.browser.breadcrumbSeparatorIconSource
                tint: title.color
                size: Theme.smallIconSize
                anchors.verticalCenter: parent.verticalCenter
            }
        }
    }

    PlainText {
        id: title
        objectName: "locationTitle"
        role: PlainText.Headline
        text: crumbs.browser.currentLocationTitle
        elide: Text.ElideMiddle
        width: Math.min(implicitWidth, crumbs.width)
        height: Math.max(implicitHeight, Theme.headerTitleHeight)
        verticalAlignment: Text.AlignVCenter
    }
}
