// Reading archives laid out by hand, and refusing every kind of damaged table of entries.
#include "archive_test_util.h"
#include "trnw_compress.h"

#include <gtest/gtest.h>

#include <functional>

namespace fnwd {
namespace {

using testing::Bytes;
using testing::HandEntry;
using testing::ScratchDir;
namespace field = testing::field;

const std::string kCorrupt = msg::kCorruptHeaders;

std::vector<HandEntry> ThreeEntries() {
    std::vector<HandEntry> e(3);
    e[0] = {"C:\\BUILD\\FNWD32.EXE", testing::RandomData(3000, 1), 45000.5, "2.0.0.1", 7, {}};
    e[1] = {"C:\\BUILD\\README.TXT", testing::TextData(70000, 2), 44000.25, "", 8, {}};
    e[2] = {"C:\\BUILD\\EMPTY.DAT", {}, 43000.0, "", 9, {}};
    return e;
}

TEST(ReadHeaders, ReadsAHandMadeArchiveAndExtractsEveryEntry) {
    ScratchDir dir;
    auto entries = ThreeEntries();
    const auto archive = testing::BuildSingleVolume(entries);
    testing::WriteBytes(dir / "files.1", archive.bytes);

    TTrnwCompress c;
    c.SetCompressedFile(dir / "files.1");
    ASSERT_EQ(c.FileCount(), 3);
    const TlzhFileStats s = c.GetFileStats(1);
    EXPECT_EQ(s.FileName, "C:\\BUILD\\README.TXT");
    EXPECT_EQ(s.FileSize, 70000);
    EXPECT_EQ(s.CompressedSize, static_cast<int32_t>(entries[1].stream.size()));
    EXPECT_EQ(s.Header.Version, "");
    EXPECT_EQ(s.TotalFileSize, 73000);
    EXPECT_EQ(c.GetFileStats(0).Header.Version, "2.0.0.1");
    EXPECT_EQ(c.IndexOfID(8), 1);
    EXPECT_EQ(c.IndexOfID(10), -1);
    EXPECT_EQ(c.IndexOfID(5000), -1);
    EXPECT_EQ(c.IndexOfName("c:\\build\\readme.txt;component"), 1);
    EXPECT_EQ(c.IndexOfName("README.TXT"), -1);

    c.SetExtractDirectory(dir / "out");
    for (const auto& e : entries) c.AddFileToProcess(e.name);
    c.Extract();
    EXPECT_EQ(testing::ReadBytes(dir / "out/FNWD32.EXE"), entries[0].data);
    EXPECT_EQ(testing::ReadBytes(dir / "out/README.TXT"), entries[1].data);
    EXPECT_EQ(testing::ReadBytes(dir / "out/EMPTY.DAT"), Bytes{});
    EXPECT_TRUE(c.FilesToProcess().empty());
}

TEST(ReadHeaders, ZeroEntriesIsAFiveBytePreamble) {
    ScratchDir dir;
    testing::WriteBytes(dir / "empty.1", Bytes(5, 0));
    TTrnwCompress c;
    c.SetCompressedFile(dir / "empty.1");
    EXPECT_EQ(c.FileCount(), 0);
    c.AddFileToProcess("anything.txt");
    try {
        c.Extract();
        FAIL() << "extracting from an empty archive succeeded";
    } catch (const ETrnwCompress& e) {
        EXPECT_EQ(std::string(e.what()), "The file <anything.txt> was not found in the archive <" + (dir / "empty.1") + ">");
    }
    EXPECT_TRUE(c.Abort());
}

TEST(ReadHeaders, MissingArchiveAndBadIndexGiveTheirMessages) {
    ScratchDir dir;
    TTrnwCompress c;
    c.SetCompressedFile(dir / "nothere.1");
    try {
        c.ReadHeaders();
        FAIL();
    } catch (const ETrnwCompress& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open the compressed file " + (dir / "nothere.1"));
    }
    testing::WriteBytes(dir / "empty.1", Bytes(5, 0));
    c.SetCompressedFile(dir / "empty.1");
    try {
        c.GetFileStats(3);
        FAIL();
    } catch (const ETrnwCompress& e) {
        EXPECT_STREQ(e.what(), "Tried to access the 3th file. This file is not defined");
    }
    try {
        c.Headers().GetFileHeaders(-1);
        FAIL();
    } catch (const ETrnwCompress& e) {
        EXPECT_STREQ(e.what(), "-1 is an invalid TFileHeader index in TFileHeaders.GetFileHeaders");
    }
}

// Each damage is applied to a good three-entry archive; every one must be refused with the
// corrupt-archive message before anything is created in the extraction folder.
struct Damage {
    const char* what;
    std::function<void(testing::HandArchive&)> apply;
};

TEST(ReadHeaders, DamagedTablesAreRefusedBeforeAnythingIsWritten) {
    const auto h = [](testing::HandArchive& a, int i, size_t f) { return a.header_at[static_cast<size_t>(i)] + f; };
    const Damage damages[] = {
        {"truncated preamble", [](auto& a) { a.bytes.resize(3); }},
        {"truncated in a header", [&](auto& a) { a.bytes.resize(h(a, 1, 100)); }},
        {"truncated in the last data", [](auto& a) { a.bytes.resize(a.bytes.size() - 4); }},
        {"count larger than the headers", [](auto& a) { testing::Put32(a.bytes, 0, 4); }},
        {"huge count", [](auto& a) { testing::Put32(a.bytes, 0, 0x7FFFFFFF); }},
        {"negative count", [](auto& a) { testing::Put32(a.bytes, 0, 0xFFFFFFFF); }},
        {"volume flag 2", [](auto& a) { a.bytes[4] = 2; }},
        {"next header backwards", [&](auto& a) { testing::Put32(a.bytes, h(a, 1, field::NextHeader), 5); }},
        {"next header into data", [&](auto& a) { testing::Put32(a.bytes, h(a, 0, field::NextHeader), a.data_at[0] + 2); }},
        {"next header past the end", [&](auto& a) { testing::Put32(a.bytes, h(a, 2, field::NextHeader), 0x7FFFFF00); }},
        {"data start inside its header", [&](auto& a) { testing::Put32(a.bytes, h(a, 0, field::DataStart), a.header_at[0] + 10); }},
        {"data end beyond the file", [&](auto& a) { testing::Put32(a.bytes, h(a, 2, field::DataEnd), 0x7FFFFFF0); }},
        {"negative data start", [&](auto& a) { testing::Put32(a.bytes, h(a, 1, field::DataStart), 0x80000000); }},
        {"compressed size disagrees", [&](auto& a) { testing::Put32(a.bytes, h(a, 1, field::CompressedSize), 3); }},
        {"zero compressed size", [&](auto& a) { testing::Put32(a.bytes, h(a, 1, field::CompressedSize), 0); }},
        {"file size the data cannot hold", [&](auto& a) { testing::Put32(a.bytes, h(a, 0, field::FileSize), 0x7FFFFFFF); }},
        {"negative file size", [&](auto& a) { testing::Put32(a.bytes, h(a, 0, field::FileSize), 0xFFFFFFF0); }},
        {"name length past its field", [&](auto& a) { a.bytes[h(a, 0, field::FileName)] = 200; }},
        {"version length past its field", [&](auto& a) { a.bytes[h(a, 0, field::Version)] = 21; }},
        {"blank name", [&](auto& a) {
             const size_t at = h(a, 1, field::FileName);
             a.bytes[at] = 3;
             a.bytes[at + 1] = a.bytes[at + 2] = a.bytes[at + 3] = ' ';
         }},
        {"volume numbers in a single archive", [&](auto& a) { a.bytes[h(a, 0, field::LastVolume)] = 2; }},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        ScratchDir dir;
        auto entries = ThreeEntries();
        auto archive = testing::BuildSingleVolume(entries);
        d.apply(archive);
        testing::WriteBytes(dir / "bad.1", archive.bytes);
        TTrnwCompress c;
        c.SetCompressedFile(dir / "bad.1");
        c.SetExtractDirectory(dir / "out");
        for (const auto& e : entries) c.AddFileToProcess(e.name);
        try {
            c.Extract();
            ADD_FAILURE() << "damaged archive accepted";
        } catch (const ETrnwCompress& e) {
            EXPECT_EQ(e.what(), kCorrupt);
        }
        EXPECT_FALSE(c.HeadersLoaded());
        EXPECT_EQ(dir.Files(), std::vector<std::string>{"bad.1"});
    }
}

// Damage inside the compressed data cannot be seen in the table; the entry fails while it is
// inflated, the partial file is removed, and an existing file of that name stays as it was.
TEST(ReadHeaders, BadStreamsFailAndLeaveNoPartialFile) {
    struct StreamDamage {
        const char* what;
        std::function<void(testing::HandArchive&, std::vector<HandEntry>&)> apply;
        bool zlib_error;  // else the size check reports it
    };
    const StreamDamage damages[] = {
        {"flipped byte in the deflate data", [](auto& a, auto&) { a.bytes[a.data_at[1] + 200] ^= 0x55; }, true},
        {"bad adler check", [](auto& a, auto& e) { a.bytes[a.data_at[1] + e[1].stream.size() - 1] ^= 1; }, true},
        {"bad zlib header", [](auto& a, auto&) { a.bytes[a.data_at[1]] = 0x12; }, true},
        {"stream ends early", [](auto& a, auto& e) {
             // Claim fewer stored bytes than the stream needs; the rest of the layout stays valid.
             const size_t hdr = a.header_at[1];
             const uint32_t cut = static_cast<uint32_t>(e[1].stream.size() / 2);
             testing::Put32(a.bytes, hdr + field::CompressedSize, cut);
             testing::Put32(a.bytes, hdr + field::DataEnd, static_cast<uint32_t>(a.data_at[1] + cut - 1));
         }, true},
        {"stored data runs past the stream", [](auto& a, auto& e) {
             // The next header moves on by four bytes of garbage that the entry claims as its own.
             const size_t hdr = a.header_at[1];
             const size_t end = a.data_at[1] + e[1].stream.size();
             a.bytes.insert(a.bytes.begin() + static_cast<long>(end), 4, 0xAB);
             testing::Put32(a.bytes, hdr + field::CompressedSize, static_cast<uint32_t>(e[1].stream.size() + 4));
             testing::Put32(a.bytes, hdr + field::DataEnd, static_cast<uint32_t>(end + 3));
             testing::Put32(a.bytes, hdr + field::NextHeader, static_cast<uint32_t>(end + 4));
             const size_t hdr2 = a.header_at[2] + 4;
             for (size_t f : {field::DataStart, field::DataEnd, field::NextHeader})
                 testing::Put32(a.bytes, hdr2 + f, testing::Get32(a.bytes, hdr2 + f) + 4);
         }, true},
        {"file size claims more", [](auto& a, auto&) {
             testing::Put32(a.bytes, a.header_at[1] + field::FileSize, 70001);
         }, false},
        {"file size claims less", [](auto& a, auto&) {
             testing::Put32(a.bytes, a.header_at[1] + field::FileSize, 69999);
         }, false},
    };
    for (const StreamDamage& d : damages) {
        SCOPED_TRACE(d.what);
        ScratchDir dir;
        auto entries = ThreeEntries();
        auto archive = testing::BuildSingleVolume(entries);
        d.apply(archive, entries);
        testing::WriteBytes(dir / "bad.1", archive.bytes);
        testing::CreateFolderForTest(dir / "out");
        testing::WriteText(dir / "out/README.TXT", "the installed copy");
        TTrnwCompress c;
        c.SetCompressedFile(dir / "bad.1");
        c.SetExtractDirectory(dir / "out");
        c.AddFileToProcess(entries[1].name);
        try {
            c.Extract();
            ADD_FAILURE() << "damaged stream accepted";
        } catch (const EZlibError& e) {
            EXPECT_TRUE(d.zlib_error) << e.Detail();
            EXPECT_STREQ(e.what(), "error");
        } catch (const ETrnwCompress& e) {
            EXPECT_FALSE(d.zlib_error) << e.what();
            EXPECT_EQ(std::string(e.what()),
                      "The decompressed file's size does not match with the actual size of the file.  The file is "
                      "C:\\BUILD\\README.TXT");
        }
        EXPECT_EQ(dir.Files(), (std::vector<std::string>{"bad.1", "out/README.TXT"}));
        const Bytes kept = testing::ReadBytes(dir / "out/README.TXT");
        EXPECT_EQ(std::string(kept.begin(), kept.end()), "the installed copy");
    }
}

TEST(ReadHeaders, HostileNamesAreRefusedAndNothingIsWrittenOutside) {
    const char* names[] = {"C:\\src\\..", "C:\\src\\.", "C:\\src\\", "/etc/", "..", "C:evil.exe", "a.txt:stream",
                           "C:\\src\\CON", "C:\\src\\con.txt", "C:\\src\\Lpt1.dat", "C:\\src\\nul ", "C:\\x\\a|b",
                           "C:\\x\\tab\there", "C:\\x\\q?.txt", "C:\\x\\ . "};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        ScratchDir dir;
        std::vector<HandEntry> entries(1);
        entries[0] = {name, testing::TextData(100, 3), 45000.0, "", 0, {}};
        testing::WriteBytes(dir / "evil.1", testing::BuildSingleVolume(entries).bytes);
        TTrnwCompress c;
        c.SetCompressedFile(dir / "evil.1");
        c.SetExtractDirectory(dir / "out");
        c.AddFileToProcess(name);
        try {
            c.Extract();
            ADD_FAILURE() << "hostile name accepted";
        } catch (const ETrnwCompress& e) {
            EXPECT_EQ(std::string(e.what()), std::string("The file <") + name + "> in the archive <" + (dir / "evil.1") +
                                                 "> has a name that cannot be used for a file in the folder <" +
                                                 (dir / "out") + ">");
        }
        EXPECT_EQ(dir.Files(), std::vector<std::string>{"evil.1"});
    }
}

TEST(ReadHeaders, TargetNameIsReducedToItsFileNamePart) {
    ScratchDir dir;
    auto entries = ThreeEntries();
    testing::WriteBytes(dir / "files.1", testing::BuildSingleVolume(entries).bytes);
    TTrnwCompress c;
    c.SetCompressedFile(dir / "files.1");
    c.SetExtractDirectory(dir / "out");
    c.SetTargetFileName("..\\..\\renamed.exe");
    c.AddFileToProcess(entries[0].name);
    c.AddFileToProcess(entries[1].name);
    c.Extract();
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"files.1", "out/README.TXT", "out/renamed.exe"}));
    EXPECT_EQ(testing::ReadBytes(dir / "out/renamed.exe"), entries[0].data);
    EXPECT_EQ(c.TargetFileName(), "");
}

}  // namespace
}  // namespace fnwd
