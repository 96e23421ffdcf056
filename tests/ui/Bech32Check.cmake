# cmake -P Bech32Check.cmake: the configure-time address check accepts real SegWit v0
# addresses and refuses a mistyped one.
include(${CMAKE_CURRENT_LIST_DIR}/../../TarvelCore/cmake/Bech32.cmake)

function(expect address ok)
    tarvel_check_segwit_v0_address("${address}" problem)
    if(ok AND problem)
        message(FATAL_ERROR "refused ${address}: ${problem}")
    elseif(NOT ok AND NOT problem)
        message(FATAL_ERROR "accepted ${address}")
    endif()
endfunction()

expect(bc1qw508d6qejxtdg4y5r3zarvary0c5xw7kv8f3t4 TRUE)
expect(bc1qrp33g0q5c5txsp9arysrx4k6zdkfs4nce4xj0gdcccefvpysxf3qccfmv3 TRUE)
expect(bc1qar0srrr7xfkvy5l643lydnw9re59gtzzwf5mdq TRUE)
# One character changed, two swapped, one dropped.
expect(bc1qw508d6qejxtdg4y5r3zarvary0c5xw7kv8f3t5 FALSE)
expect(bc1qw508d6qejxtdg4y5r3zarvary0c5xw7kv8ft34 FALSE)
expect(bc1qw508d6qejxtdg4y5r3zarvary0c5xw7kv8f3t FALSE)
# Not bech32 characters, not version 0 / mainnet, not an address.
expect(bc1qw508d6qejxtdg4y5r3zarvary0c5xw7kv8f3tb FALSE)
expect(bc1pw508d6qejxtdg4y5r3zarvary0c5xw7kv8f3t4 FALSE)
expect(tb1qw508d6qejxtdg4y5r3zarvary0c5xw7kxpjzsx FALSE)
expect(1BvBMSEYstWetqTFn5Au4m4GFg7xJaNVN2 FALSE)
expect("" FALSE)
