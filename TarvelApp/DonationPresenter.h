#pragma once

// The donation section at the foot of the right pane: fixed texts, the address with its QR
// code, and the three buttons. Nothing in it changes while the app runs.

#include "TarvelApp/DesktopServices.h"
#include "TarvelApp/SymbolSource.h"

#include <QObject>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

namespace tarvel {

class DonationPresenter : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The window hands the donation section its presenter.")

    Q_PROPERTY(QString supportTitle READ supportTitle CONSTANT)
    Q_PROPERTY(QString supportStatement READ supportStatement CONSTANT)
    Q_PROPERTY(QUrl disclosureClosedIconSource READ disclosureClosedIconSource CONSTANT)
    Q_PROPERTY(QUrl disclosureOpenIconSource READ disclosureOpenIconSource CONSTANT)
    Q_PROPERTY(QString donationAddressCaption READ donationAddressCaption CONSTANT)
    Q_PROPERTY(QString donationAddress READ donationAddress CONSTANT)
    Q_PROPERTY(QString donationQRCodeName READ donationQRCodeName CONSTANT)
    Q_PROPERTY(QUrl donationQRCodeSource READ donationQRCodeSource CONSTANT)
    Q_PROPERTY(QString copyAddressTitle READ copyAddressTitle CONSTANT)
    Q_PROPERTY(QUrl copyAddressIconSource READ copyAddressIconSource CONSTANT)
    Q_PROPERTY(QString koFiTitle READ koFiTitle CONSTANT)
    Q_PROPERTY(QUrl koFiIconSource READ koFiIconSource CONSTANT)
    Q_PROPERTY(QString walletTitle READ walletTitle CONSTANT)
    Q_PROPERTY(QUrl walletIconSource READ walletIconSource CONSTANT)

public:
    explicit DonationPresenter(DesktopServices *desktop, QObject *parent = nullptr);

    static QString supportTitle() { return tr("Support development"); }
    static QString supportStatement() { return tr("Tarvel 2 is maintained independently by Orvath."); }
    static QUrl disclosureClosedIconSource() { return symbolSource(QStringLiteral("chevron.right")); }
    static QUrl disclosureOpenIconSource() { return symbolSource(QStringLiteral("chevron.down")); }
    static QString donationAddressCaption() { return tr("BTC SegWit"); }
    static QString donationAddress();
    static QString donationQRCodeName() { return tr("BTC donation QR code"); }
    // Empty when the image is missing from the resources or cannot be decoded. The
    // resources are fixed for the life of the process, so the image is decoded once.
    static QUrl donationQRCodeSource();
    static QString copyAddressTitle() { return tr("Copy BTC Address"); }
    static QUrl copyAddressIconSource() { return symbolSource(QStringLiteral("doc.on.doc")); }
    static QString koFiTitle() { return tr("Open Ko-fi"); }
    static QUrl koFiIconSource() { return symbolSource(QStringLiteral("heart.fill")); }
    static QString walletTitle() { return tr("Open Bitcoin Wallet"); }
    static QUrl walletIconSource() { return symbolSource(QStringLiteral("qrcode")); }

public Q_SLOTS:
    void copyDonationAddress();
    void openKoFi();
    void openBitcoinWallet();

private:
    DesktopServices *m_desktop;
};

} // namespace tarvel
