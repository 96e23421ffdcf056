#include "TarvelApp/DonationPresenter.h"

#include "TarvelCore/DonationSupport.h"

#include <QImage>

namespace tarvel {

namespace {

const QString donationQRCodeResource = QStringLiteral(":/tarvel/orvath-btc-wallet-qr.png");

} // namespace

DonationPresenter::DonationPresenter(DesktopServices *desktop, QObject *parent) : QObject(parent), m_desktop(desktop)
{
}

QString DonationPresenter::donationAddress()
{
    return DonationSupport::btcSegWitAddress();
}

QUrl DonationPresenter::donationQRCodeSource()
{
    static const QUrl source =
        QImage(donationQRCodeResource).isNull() ? QUrl() : QUrl(QStringLiteral("qrc") + donationQRCodeResource);
    return source;
}

void DonationPresenter::copyDonationAddress()
{
    m_desktop->copyTextToClipboard(DonationSupport::btcSegWitAddress());
}

void DonationPresenter::openKoFi()
{
    m_desktop->openURL(DonationSupport::koFiURL());
}

void DonationPresenter::openBitcoinWallet()
{
    m_desktop->openURL(DonationSupport::bitcoinURL());
}

} // namespace tarvel
