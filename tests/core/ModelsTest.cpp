#include "TarvelCore/Models.h"

#include <gtest/gtest.h>

using namespace tarvel;

// Equality covers every field, and an absent optional is a state of its own, not zero.
TEST(Models, EqualityCoversEveryFieldAndAbsenceIsNotZero)
{
    const RemoteEntry a{.id = "7", .name = "a.jpg", .kind = RemoteEntryKind::file, .sizeBytes = 10};
    RemoteEntry renamed = a;
    renamed.name = "b.jpg";
    RemoteEntry resized = a;
    resized.sizeBytes = 11;
    EXPECT_NE(a, renamed);
    EXPECT_NE(a, resized);
    EXPECT_EQ(a.id, renamed.id); // still the same row by identity

    const AndroidDevice absent{.id = "d", .name = "Pixel"};
    const AndroidDevice zero{.id = "d", .name = "Pixel", .vendorID = 0};
    EXPECT_NE(absent, zero);
    EXPECT_EQ(zero, (AndroidDevice{"d", "Pixel", 0, std::nullopt}));

    EXPECT_NE((AndroidStorage{"1", "Internal", 0, std::nullopt}), (AndroidStorage{"1", "Internal", std::nullopt, std::nullopt}));
    EXPECT_NE((RemoteEntry{.id = "1", .parentID = std::nullopt}), (RemoteEntry{.id = "1", .parentID = QString()}));
}

TEST(Models, TransferJobDefaultsAndChangedCountsMakeItUnequal)
{
    const TransferJob job{QUuid::createUuid(), TransferDirection::upload, "a.txt", "Internal"};
    EXPECT_EQ(job.completedBytes, 0);
    EXPECT_FALSE(job.totalBytes.has_value());
    TransferJob later = job;
    later.completedBytes = 5;
    EXPECT_NE(later, job);
    EXPECT_EQ(later.id, job.id);
}

// Native errors compare by text; the other kinds by kind alone.
TEST(Models, TransferErrorEquality)
{
    EXPECT_EQ(TransferError::nativeError("x"), TransferError::nativeError("x"));
    EXPECT_NE(TransferError::nativeError("x"), TransferError::nativeError("y"));
    EXPECT_NE(TransferError::nativeError(""), TransferError::cancelled());
    EXPECT_EQ(TransferError::cancelled(), TransferError::cancelled());
    EXPECT_NE(TransferError::noDevice(), TransferError::deviceUnavailable());
    EXPECT_EQ(TransferError::nativeError("gone").nativeMessage(), "gone");
    EXPECT_STREQ(TransferError::nativeError("gone").what(), "nativeError: gone");
}
