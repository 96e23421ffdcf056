#pragma once

// Where donations for the maintainer go. The address and the Ko-fi page are fixed when
// the app is built (CMake settings TARVEL_BTC_ADDRESS and TARVEL_KOFI_URL, checked at
// configure time), so nothing here can fail at run time.

#include <QString>
#include <QUrl>

namespace tarvel {

class DonationSupport {
public:
    DonationSupport() = delete;

    // Bech32, "bc1q...".
    static QString btcSegWitAddress();
    static QUrl koFiURL();
    // "bitcoin:" immediately followed by the address, with no parameters.
    static QUrl bitcoinURL();
};

} // namespace tarvel
