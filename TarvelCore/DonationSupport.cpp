#include "TarvelCore/DonationSupport.h"

#include "TarvelCore/DonationSettings.h" // generated from the CMake settings

namespace tarvel {

QString DonationSupport::btcSegWitAddress()
{
    return QStringLiteral(TARVEL_BTC_ADDRESS);
}

QUrl DonationSupport::koFiURL()
{
    static const QUrl url(QStringLiteral(TARVEL_KOFI_URL), QUrl::StrictMode);
    return url;
}

QUrl DonationSupport::bitcoinURL()
{
    return QUrl(QStringLiteral("bitcoin:") + btcSegWitAddress(), QUrl::StrictMode);
}

} // namespace tarvel
