# Donation settings. The defaults are placeholders: set both before distributing a build,
#   cmake -S . -B build -DTARVEL_BTC_ADDRESS=bc1q... -DTARVEL_KOFI_URL=https://ko-fi.com/<page>
# The default address is the BIP 173 example address, which belongs to nobody who reads
# these donations; the default page is Ko-fi's front page.
#
# Generates TarvelCore/DonationSettings.h, which DonationSupport.cpp reads, into this
# folder's build tree. The window's QR code of the address is made in TarvelApp/ from
# the same TARVEL_BTC_ADDRESS.

include(${CMAKE_CURRENT_LIST_DIR}/Bech32.cmake)

set(TARVEL_DONATION_PLACEHOLDER_ADDRESS "bc1qw508d6qejxtdg4y5r3zarvary0c5xw7kv8f3t4")
set(TARVEL_DONATION_PLACEHOLDER_KOFI "https://ko-fi.com/")
set(TARVEL_BTC_ADDRESS "${TARVEL_DONATION_PLACEHOLDER_ADDRESS}" CACHE STRING
    "Bitcoin SegWit (bc1q...) address shown in the donation section. Placeholder by default: set it before distributing.")
set(TARVEL_KOFI_URL "${TARVEL_DONATION_PLACEHOLDER_KOFI}" CACHE STRING
    "https URL of the maintainer's Ko-fi page. Placeholder by default: set it before distributing.")

# A typo in the address would send every donation nowhere, so the build refuses it.
tarvel_check_segwit_v0_address("${TARVEL_BTC_ADDRESS}" address_problem)
if(address_problem)
    message(FATAL_ERROR "TARVEL_BTC_ADDRESS \"${TARVEL_BTC_ADDRESS}\" is not usable: ${address_problem}.")
endif()
# The URL lands in a C++ string literal and in a link the user opens.
if(NOT TARVEL_KOFI_URL MATCHES "^https://[A-Za-z0-9.-]+(/[A-Za-z0-9._~/%+-]*)?$")
    message(FATAL_ERROR "TARVEL_KOFI_URL \"${TARVEL_KOFI_URL}\" must be a plain https URL, such as https://ko-fi.com/yourpage.")
endif()
if(TARVEL_BTC_ADDRESS STREQUAL TARVEL_DONATION_PLACEHOLDER_ADDRESS OR TARVEL_KOFI_URL STREQUAL TARVEL_DONATION_PLACEHOLDER_KOFI)
    message(STATUS "Donation settings are placeholders: set TARVEL_BTC_ADDRESS and TARVEL_KOFI_URL before distributing.")
endif()

configure_file(${CMAKE_CURRENT_LIST_DIR}/DonationSettings.h.in
               ${CMAKE_CURRENT_BINARY_DIR}/generated/TarvelCore/DonationSettings.h @ONLY)
target_include_directories(tarvel_core PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated)
