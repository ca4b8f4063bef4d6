#include "archive_format.h"
#include "archive_test_util.h"
#include "file_headers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace fnwd {
namespace {

using testing::Bytes;
namespace field = testing::field;

TEST(ArchiveFormat, HeaderFieldsSitAtTheirOffsetsLittleEndian) {
    TEntryHeader h;
    h.Sequence = 0x01020304;
    h.FileDate = 36526.75;  // 2000-01-01 18:00
    h.LastVolume = 3;
    h.DataEnd = 0x11223344;
    h.FileName = "C:\\SRC\\fnwd32.exe";
    h.NextHeader = 0x0A0B0C0D;
    h.FileSize = 123456;
    h.DataStart = 177;
    h.CompressedSize = 70000;
    h.FirstVolume = 2;
    h.FileID = 1999;
    h.Version = "1.90.0.3";
    const HeaderBytes b = EncodeHeader(h);
    const Bytes bytes(b.begin(), b.end());
    EXPECT_EQ(bytes[field::Sequence], 0x04);
    EXPECT_EQ(bytes[field::Sequence + 3], 0x01);
    EXPECT_EQ(bytes[field::LastVolume], 3);
    EXPECT_EQ(testing::Get32(bytes, field::DataEnd), 0x11223344u);
    EXPECT_EQ(bytes[field::FileName], h.FileName.size());
    EXPECT_EQ(std::string(bytes.begin() + field::FileName + 1, bytes.begin() + field::FileName + 1 + 17), h.FileName);
    EXPECT_EQ(testing::Get32(bytes, field::NextHeader), 0x0A0B0C0Du);
    EXPECT_EQ(testing::Get32(bytes, field::FileSize), 123456u);
    EXPECT_EQ(testing::Get32(bytes, field::DataStart), 177u);
    EXPECT_EQ(testing::Get32(bytes, field::CompressedSize), 70000u);
    EXPECT_EQ(bytes[field::FirstVolume], 2);
    EXPECT_EQ(testing::Get32(bytes, field::FileID), 1999u);
    EXPECT_EQ(bytes[field::Version], 8);
    // 36526.75 as an IEEE double: 0x40E1D5D800000000, least significant byte first.
    EXPECT_EQ(bytes[field::FileDate + 7], 0x40);
    EXPECT_EQ(bytes[field::FileDate + 6], 0xE1);
    EXPECT_EQ(bytes[field::FileDate + 5], 0xD5);
    EXPECT_EQ(bytes[field::FileDate + 4], 0xD8);
    // Reserved bytes stay zero.
    for (size_t i : {13u, 14u, 15u, 121u, 122u, 123u, 141u, 142u, 143u, 169u, 170u, 171u}) EXPECT_EQ(bytes[i], 0) << i;

    TEntryHeader back;
    ASSERT_TRUE(DecodeHeader(b.data(), back));
    EXPECT_EQ(back, h);
}

TEST(ArchiveFormat, LongNamesAndVersionsAreCutAndOverlongLengthBytesRejected) {
    TEntryHeader h;
    h.FileName = std::string(150, 'n');
    h.Version = std::string(30, '9');
    HeaderBytes b = EncodeHeader(h);
    TEntryHeader back;
    ASSERT_TRUE(DecodeHeader(b.data(), back));
    EXPECT_EQ(back.FileName, std::string(100, 'n'));
    EXPECT_EQ(back.Version, std::string(20, '9'));
    b[field::FileName] = 101;
    EXPECT_FALSE(DecodeHeader(b.data(), back));
    b[field::FileName] = 100;
    b[field::Version] = 21;
    EXPECT_FALSE(DecodeHeader(b.data(), back));
}

TEST(ArchiveFormat, TrailerAndFileListRecordsRoundTrip) {
    TSelfExtractTrailer t{true, 1000, 2999, 3000, 9999};
    const auto tb = EncodeTrailer(t);
    EXPECT_EQ(tb[0], 14);
    EXPECT_EQ(std::string(tb.begin() + 1, tb.begin() + 15), "SELFEXTRACTING");
    EXPECT_EQ(tb[15], 0);
    for (size_t i = 32; i < 56; ++i) EXPECT_EQ(tb[i], 0);
    const TSelfExtractTrailer back = DecodeTrailer(tb.data());
    EXPECT_TRUE(back.SignatureValid);
    EXPECT_EQ(back.SetupStart, 1000);
    EXPECT_EQ(back.SetupEnd, 2999);
    EXPECT_EQ(back.ArchiveStart, 3000);
    EXPECT_EQ(back.ArchiveEnd, 9999);

    TFileListRecord r{4096, 45000.25, "FenwoldMainProgram", "2.0.0.10"};
    const auto rb = EncodeFileListRecord(r);
    EXPECT_EQ(rb[12 + r.ComponentName.size()], 0);
    EXPECT_EQ(rb[52 + r.Version.size()], 0);
    EXPECT_EQ(DecodeFileListRecord(rb.data()), r);
}

TEST(ArchiveFormat, DosDatesConvertBothWays) {
    // 1980-01-01 00:00:00 is day 29221 counted from 1899-12-30.
    EXPECT_DOUBLE_EQ(DosDateTimeToDateTime(0x21, 0), 29221.0);
    // 2024-05-17 13:45:30
    const uint16_t date = static_cast<uint16_t>((2024 - 1980) << 9 | 5 << 5 | 17);
    const uint16_t time = static_cast<uint16_t>(13 << 11 | 45 << 5 | 15);
    const double dt = DosDateTimeToDateTime(date, time);
    EXPECT_EQ(DateTimeToIso(dt), "2024-05-17T13:45:30");
    uint16_t d2, t2;
    ASSERT_TRUE(DateTimeToDosDateTime(dt, d2, t2));
    EXPECT_EQ(d2, date);
    EXPECT_EQ(t2, time);
    // Values a hostile archive may carry never convert.
    for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), -1e300,
                       1e300, 1000.0 /* 1902 */, 80000.0 /* 2119 */})
        EXPECT_FALSE(DateTimeToDosDateTime(bad, d2, t2)) << bad;
    EXPECT_EQ(DateTimeToIso(std::numeric_limits<double>::quiet_NaN()), "");
}

TEST(ArchiveFormat, PercentagesRoundHalfToEvenAndSurviveDivisionByZero) {
    struct Case { double part, whole; int limit; int expected; };
    const Case cases[] = {
        {1, 200, 100, 0},    // 0.5 -> 0
        {3, 200, 100, 2},    // 1.5 -> 2
        {5, 200, 100, 2},    // 2.5 -> 2
        {7, 200, 100, 4},    // 3.5 -> 4
        {2, 3, 100, 67},
        {5, 0, 100, 0},      // division by zero
        {0, 0, 100, 0},
        {9, 1, 255, 255},    // an 8-byte stream of a 1-byte file
        {150, 100, 100, 100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RoundedPercent(c.part, c.whole, c.limit), c.expected) << c.part << "/" << c.whole;
}

}  // namespace
}  // namespace fnwd
