// Arbitrary bytes as ids. Every answer is one of the documented texts, and an accepted id
// reaches libmtp as exactly the number strtoul reads from it, never anything else.

#include "tests/bridge/BridgeTestSupport.h"

#include <QTemporaryDir>

#include <fstream>
#include <optional>
#include <random>

using namespace tarvel::test;

namespace {

// Pieces that make texts near the edges of what is accepted.
const char *const kPieces[] = {"0", "7", "42", "4294967295", "4294967296", "18446744073709551615",
                               "18446744073709551616", "-", "+", " ", "\t", "\n", "x", "\xff", "\x80", "%s"};

// Half the texts look like ids (so both outcomes stay common), half are anything at all.
std::string randomText(std::mt19937 &random)
{
    std::string text;
    if (random() % 2) {
        text += std::string(random() % 3, " \t"[random() % 2]);
        text += std::string(random() % 4 == 0 ? 1 : 0, "+-"[random() % 2]);
        text += kPieces[random() % 7];
        if (random() % 4 == 0)
            text += kPieces[random() % std::size(kPieces)];
        return text;
    }
    const int parts = std::uniform_int_distribution(0, 4)(random);
    for (int i = 0; i < parts; ++i) {
        if (random() % 3 == 0)
            text += kPieces[random() % std::size(kPieces)];
        else
            text += static_cast<char>(random() % 256);
    }
    return text;
}

// What strtoul(text, &end, 10) reads when it consumes the whole text, as the C library
// defines it: blanks, an optional sign, decimal digits, where a minus negates modulo 2^64.
std::optional<uint32_t> idValue(const char *text)
{
    const char *p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    if (*p < '0' || *p > '9')
        return std::nullopt;
    unsigned __int128 magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        magnitude = std::min<unsigned __int128>(magnitude * 10 + (*p - '0'), (unsigned __int128)UINT64_MAX + 1);
    if (*p != '\0' || magnitude > UINT64_MAX)
        return std::nullopt;
    const uint64_t value = negative ? uint64_t(0) - uint64_t(magnitude) : uint64_t(magnitude);
    if (value > UINT32_MAX)
        return std::nullopt;
    return uint32_t(value);
}

} // namespace

using BridgeIds = BridgeTest;

TEST_F(BridgeIds, ArbitraryBytesGetOnlyDocumentedAnswers)
{
    QTemporaryDir dir;
    const std::string target = (dir.path() + "/download.bin").toStdString();
    const std::string source = (dir.path() + "/upload.bin").toStdString();
    std::ofstream(source) << "bytes";
    ScriptedLibmtp::downloadContent = ""; // replacing files with data costs real disk time here
    auto listing = std::make_unique<CMTPDirectoryResult>();
    std::mt19937 random(20240611);

    for (int round = 0; round < 20000; ++round) {
        const std::string storageText = randomText(random), parentText = randomText(random),
                          fileText = randomText(random);
        SCOPED_TRACE(testing::Message() << "round " << round);
        const char *storage = random() % 16 ? storageText.c_str() : nullptr;
        const char *parent = random() % 4 ? parentText.c_str() : nullptr;
        const std::optional<uint32_t> storageId = storage ? idValue(storage) : std::nullopt;
        const std::optional<uint32_t> parentId = parent && *parent ? idValue(parent) : kRoot;
        const std::optional<uint32_t> fileId = idValue(fileText.c_str());

        cmtp_list_directory_into(listing.get(), kPhone, storage, parent);
        if (!storageId) {
            ASSERT_STREQ(listing->error, "Invalid MTP storage id");
        } else if (!parentId) {
            ASSERT_STREQ(listing->error, "Invalid MTP parent id");
        } else {
            ASSERT_EQ(listing->ok, 1);
            ASSERT_EQ(ScriptedLibmtp::listings.back(), (ListingCall{*storageId, *parentId}));
        }

        const CMTPTransferResult download = cmtp_download_file(kPhone, fileText.c_str(), target.c_str());
        if (fileId) {
            ASSERT_EQ(download.ok, 1);
            ASSERT_EQ(ScriptedLibmtp::downloads.back().id, *fileId);
        } else {
            ASSERT_STREQ(download.error, "Invalid MTP file id");
        }

        const CMTPTransferResult upload = cmtp_upload_file(kPhone, storage, source.c_str(), parent);
        if (!storageId) {
            ASSERT_STREQ(upload.error, "Invalid MTP storage id");
        } else if (!parentId) {
            ASSERT_STREQ(upload.error, "Invalid MTP parent id");
        } else {
            ASSERT_EQ(upload.ok, 1);
            ASSERT_EQ(ScriptedLibmtp::uploads.back().storage, *storageId);
            ASSERT_EQ(ScriptedLibmtp::uploads.back().parent, *parentId);
        }

        // Arbitrary device ids name no attached phone (and close the one that is open).
        if (round % 10 == 0) {
            ASSERT_STREQ(listStorage(fileText.c_str())->error, kNotAvailable);
        }
    }
    // The generator reaches both outcomes often.
    EXPECT_GT(ScriptedLibmtp::listings.size(), 2000u);
    EXPECT_GT(ScriptedLibmtp::downloads.size(), 2000u);
}
