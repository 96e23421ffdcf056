#include "TarvelCore/PhoneDiagnosis.h"
#include "TarvelCore/TarvelViewModel.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace tarvel;

namespace {
USBPhoneReport phone(quint32 bus, quint32 device, std::optional<TransferError> problem = std::nullopt)
{
    return {.address = {bus, device}, .vendorID = 0x18d1, .productID = 0x4ee1, .problem = problem};
}
const TransferError heldByFiles = TransferError::deviceInUse({PhoneHolderKind::filesService, "gvfsd-mtp"});
} // namespace

// With nothing that could be a phone the connect sentence stands; otherwise the first
// phone's own reason, and a phone that shows no reason reads as locked.
TEST(PhoneDiagnosis, MissingPhoneIsExplainedByTheFirstProblemOnTheBus)
{
    EXPECT_EQ(explainMissingPhone({}), TransferError::noDevice());
    EXPECT_EQ(explainMissingPhone({phone(1, 4)}), TransferError::deviceUnavailable());
    EXPECT_EQ(explainMissingPhone({phone(1, 4), phone(1, 5, heldByFiles), phone(2, 2, TransferError::unsupportedUSBMode())}),
              heldByFiles);
}

TEST(PhoneDiagnosis, OpenFailureIsExplainedByThatPhoneAlone)
{
    const QList reports{phone(1, 4, TransferError::permissionDenied()), phone(1, 5)};
    EXPECT_EQ(explainOpenFailure(reports, {1, 4}), TransferError::permissionDenied());
    EXPECT_EQ(explainOpenFailure(reports, {1, 5}), std::nullopt); // nothing wrong on the bus: the engine's error stands
    EXPECT_EQ(explainOpenFailure(reports, {2, 4}), TransferError::disconnected());
}

// Each holder gets a sentence that names it and says how to let go of the phone.
TEST(PhoneDiagnosis, HolderSentences)
{
    const auto sentence = [](PhoneHolderKind kind, QString program) {
        return TarvelViewModel::message(TransferError::deviceInUse({kind, program}));
    };
    EXPECT_EQ(sentence(PhoneHolderKind::filesService, "gvfsd-mtp"), "Eject the phone in Files, then press Refresh.");
    EXPECT_EQ(sentence(PhoneHolderKind::kdeService, "kiod6"),
              "KDE's phone service is using the phone. Run \"kquitapp6 kiod6\", then press Refresh.");
    EXPECT_EQ(sentence(PhoneHolderKind::kdeService, "kiod5"),
              "KDE's phone service is using the phone. Run \"kquitapp5 kiod5\", then press Refresh.");
    EXPECT_EQ(sentence(PhoneHolderKind::folderMount, "phonefs"),
              "phonefs has the phone mounted as a folder. Unmount it, then press Refresh.");
    EXPECT_EQ(sentence(PhoneHolderKind::tarvel, "tarvel"),
              "Another Tarvel window is using the phone. Close it, then press Refresh.");
    EXPECT_EQ(sentence(PhoneHolderKind::program, "probe"), "probe is using the phone. Close it, then press Refresh.");
    EXPECT_EQ(sentence(PhoneHolderKind::unseen, ""),
              "Another user's program is using the phone. Close it in that user's session, then press Refresh.");

    // Two holders are two different errors, and what() names the program for logs and tests.
    EXPECT_NE(heldByFiles, TransferError::deviceInUse({PhoneHolderKind::program, "gvfsd-mtp"}));
    EXPECT_STREQ(heldByFiles.what(), "deviceInUse: gvfsd-mtp");
}
