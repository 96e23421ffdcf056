#include "TarvelApp/ByteCountFormat.h"
#include "TarvelApp/RemoteEntryListModel.h"
#include "TarvelCore/Sentences.h"
#include "TarvelCore/TransferQueue.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QTranslator>

#include <limits>
#include <ostream>

using tarvel::formatByteCount;

namespace {

struct Case {
    qint64 bytes;
    const char *text;
};

void PrintTo(const Case &c, std::ostream *os)
{
    *os << c.bytes << " bytes as \"" << c.text << '"';
}

class ByteCountFormatTest : public ::testing::TestWithParam<Case> {};

TEST_P(ByteCountFormatTest, WritesDecimalKBMBGB)
{
    EXPECT_EQ(formatByteCount(GetParam().bytes), GetParam().text) << GetParam().bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ByteCountFormatTest,
    ::testing::Values(
        // Never plain bytes: zero has its word, anything else under a kilobyte is 1 KB.
        Case{0, "Zero KB"}, Case{1, "1 KB"}, Case{999, "1 KB"},
        // Kilobytes are whole, rounded to the nearest.
        Case{1'000, "1 KB"}, Case{1'499, "1 KB"}, Case{1'500, "2 KB"}, Case{812'000, "812 KB"},
        Case{999'499, "999 KB"},
        // What rounds to 1000 of a unit is 1 of the next.
        Case{999'500, "1 MB"}, Case{999'999, "1 MB"},
        // Megabytes keep one decimal, without a trailing zero.
        Case{1'000'000, "1 MB"}, Case{1'234'567, "1.2 MB"}, Case{2'050'000, "2.1 MB"}, Case{187'324'990, "187.3 MB"},
        Case{999'949'999, "999.9 MB"}, Case{999'950'000, "1 GB"},
        // Gigabytes keep two decimals, trailing zeros dropped, and never give way to TB.
        Case{1'204'332'011, "1.2 GB"}, Case{1'234'567'890, "1.23 GB"}, Case{10'000'000'000, "10 GB"},
        Case{41'276'000'000, "41.28 GB"}, Case{64'000'000'000, "64 GB"}, Case{999'994'999'999, "999.99 GB"},
        Case{999'995'000'000, "1,000 GB"}, Case{1'500'000'000'000, "1,500 GB"},
        Case{12'345'678'900'000, "12,345.68 GB"},
        Case{std::numeric_limits<qint64>::max(), "9,223,372,036.85 GB"},
        // A size no phone reports, written rather than wrapped around.
        Case{-1'500, "-2 KB"}, Case{std::numeric_limits<qint64>::min(), "-9,223,372,036.85 GB"}));

} // namespace

// German speaks German and writes German numbers: sizes with a decimal comma and a point
// between thousands, plural forms in both languages, dates in German order with German
// month names. English (what every other test runs in) gives "1 file" and "2 files".
TEST(LanguageTest, SizesPluralsAndDatesFollowTheLanguage)
{
    using namespace tarvel;
    const QDateTime evening(QDate(2024, 6, 14), QTime(23, 38));
    EXPECT_TRUE(sentences::disconnected(1, 1).contains("after 1 of 1 file."));
    EXPECT_TRUE(sentences::disconnected(1, 2).contains("after 1 of 2 files."));
    EXPECT_EQ(RemoteEntryListModel::dateText(evening), "14 Jun 2024, 23:38");

    QTranslator german;
    ASSERT_TRUE(german.load(QStringLiteral(":/tarvel/i18n/tarvel_de.qm")));
    QCoreApplication::installTranslator(&german);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(formatByteCount(1'204'332'011), "1,2 GB");
    EXPECT_EQ(formatByteCount(1'500'000'000'000), "1.500 GB");
    EXPECT_EQ(formatByteCount(0), "0 KB");
    EXPECT_TRUE(sentences::disconnected(1, 1).contains("nach 1 von 1 Datei getrennt"));
    EXPECT_TRUE(sentences::disconnected(1, 2).contains("nach 1 von 2 Dateien getrennt"));
    TransferQueue none(TransferDirection::download, "Bilder");
    EXPECT_EQ(sentences::batchCancelled(none), "Die Übertragung wurde nach 0 von 0 Dateien abgebrochen.");
    EXPECT_EQ(RemoteEntryListModel::dateText(evening), "14. Juni 2024, 23:38");
    EXPECT_EQ(sentences::error(TransferError::unsupportedUSBMode()),
              "Stellen Sie am Telefon den USB-Modus auf „Dateiübertragung“ um.");
    QCoreApplication::removeTranslator(&german);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}
