// Volume sets: splitting onto disks of a given size, and reading them back.
#include "archive_test_util.h"
#include "trnw_compress.h"

#include <gtest/gtest.h>

namespace fnwd {
namespace {

using testing::Bytes;
using testing::HandEntry;
using testing::ScratchDir;
namespace field = testing::field;

std::vector<HandEntry> Entries() {
    std::vector<HandEntry> e(4);
    e[0] = {"C:\\B\\A.EXE", testing::RandomData(9000, 21), 45000.5, "1.0.0.0", 1, {}};
    e[1] = {"C:\\B\\B.TXT", testing::TextData(40000, 22), 45001.5, "", 2, {}};
    e[2] = {"C:\\B\\C.DAT", testing::RandomData(20000, 23), 45002.5, "", 3, {}};
    e[3] = {"C:\\B\\D.DAT", {}, 45003.5, "", 4, {}};
    return e;
}

void WriteVolumes(const ScratchDir& dir, const std::string& base, const std::vector<Bytes>& volumes) {
    for (size_t i = 0; i < volumes.size(); ++i) testing::WriteBytes(dir / (base + "." + std::to_string(i + 1)), volumes[i]);
}

void ExpectExtractsAll(TTrnwCompress& c, const ScratchDir& dir, const std::vector<HandEntry>& entries) {
    c.SetExtractDirectory(dir / "out");
    for (const auto& e : entries) c.AddFileToProcess(e.name);
    c.Extract();
    for (const auto& e : entries)
        EXPECT_EQ(testing::ReadBytes(dir / ("out/" + fio::FileNamePart(e.name))), e.data) << e.name;
}

TEST(Volumes, HandMadeVolumeSetsReadBackWhateverTheDiskSize) {
    for (size_t capacity : {1000u, 4096u, 7777u, 100000u}) {
        SCOPED_TRACE(capacity);
        ScratchDir dir;
        auto entries = Entries();
        const auto volumes = testing::BuildVolumeSet(entries, capacity);
        WriteVolumes(dir, "files", volumes);
        TTrnwCompress c;
        c.SetCompressedFile(dir / "files.1");
        ASSERT_EQ(c.FileCount(), 4);
        EXPECT_TRUE(c.Headers().VolumeSet());
        ExpectExtractsAll(c, dir, entries);
        if (volumes.size() > 1) {
            EXPECT_EQ(c.CompressedFile(), dir / ("files." + std::to_string(c.CurrentVolume())));
        }
    }
}

TEST(Volumes, AnEntryStartingAtTheVeryEndOfAVolumeIsRead) {
    // Choose the disk size so that the first entry's data fills volume 1 exactly.
    auto entries = Entries();
    const size_t first_stream = testing::ZlibCompress(entries[0].data).size();
    const size_t capacity = 5 + 4 * 172 + first_stream;
    ScratchDir dir;
    const auto volumes = testing::BuildVolumeSet(entries, capacity);
    ASSERT_EQ(volumes[0].size(), capacity);
    const size_t second = 5 + 172;
    ASSERT_EQ(volumes[0][second + field::FirstVolume], 1);
    ASSERT_EQ(testing::Get32(volumes[0], second + field::DataStart), capacity);
    WriteVolumes(dir, "files", volumes);
    TTrnwCompress c;
    c.SetCompressedFile(dir / "files.1");
    ExpectExtractsAll(c, dir, entries);
}

TEST(Volumes, SplitToVolumesWritesASetThatReadsBack) {
    for (int64_t capacity : {int64_t{1500}, int64_t{8192}, int64_t{30001}, int64_t{-1}}) {
        SCOPED_TRACE(capacity);
        ScratchDir dir;
        auto entries = Entries();
        testing::WriteBytes(dir / "files.1", testing::BuildSingleVolume(entries).bytes);
        TTrnwCompress c;
        c.DiskCapacity = [&](const std::string&) { return capacity; };
        std::vector<int> disks;
        c.OnNewDisk = [&](TTrnwCompress&, int n, std::string& folder) {
            disks.push_back(n);
            EXPECT_EQ(folder, dir / "disk");
        };
        std::vector<TlzhFileStats> statuses;
        c.OnStatus = [&](TTrnwCompress&, const TlzhFileStats& s) { statuses.push_back(s); };
        c.SetCompressedFile(dir / "files.1");
        testing::CreateFolderForTest(dir / "disk");
        c.SplitToVolumes(dir / "disk", "files.1");
        ASSERT_FALSE(statuses.empty());
        EXPECT_EQ(statuses.back().TotalPercentDone, 100);
        EXPECT_EQ(statuses.back().TotalBytesDone, statuses.back().TotalCompressedSize);

        int count = 1;
        while (fio::FileExists(dir / ("disk/files." + std::to_string(count + 1)))) ++count;
        EXPECT_EQ(static_cast<int>(disks.size()), count - 1);
        for (int i = 0; i < count - 1; ++i) EXPECT_EQ(disks[static_cast<size_t>(i)], i + 2);
        for (int i = 1; i <= count; ++i)
            if (capacity > 0) {
                EXPECT_LE(static_cast<int64_t>(testing::ReadBytes(dir / ("disk/files." + std::to_string(i))).size()),
                          capacity);
            }

        TTrnwCompress reader;
        reader.SetCompressedFile(dir / "disk/files.1");
        ASSERT_EQ(reader.FileCount(), 4);
        EXPECT_TRUE(reader.Headers().VolumeSet());
        for (int i = 0; i < 4; ++i) {
            const TEntryHeader h = reader.GetFileStats(i).Header;
            EXPECT_EQ(h.NextHeader, 5 + 172 * (i + 1));
            EXPECT_GE(h.FirstVolume, 1);
            EXPECT_LE(h.LastVolume, count);
        }
        ExpectExtractsAll(reader, dir, entries);
    }
}

TEST(Volumes, SplittingOntoAFullDiskNeedsAHandlerAndRoomForTheRest) {
    ScratchDir dir;
    auto entries = Entries();
    testing::WriteBytes(dir / "files.1", testing::BuildSingleVolume(entries).bytes);
    testing::CreateFolderForTest(dir / "disk");
    TTrnwCompress c;
    c.SetCompressedFile(dir / "files.1");
    c.DiskCapacity = [](const std::string&) -> int64_t { return 2000; };
    try {
        c.SplitToVolumes(dir / "disk", "files.1");
        FAIL();
    } catch (const ETrnwCompress& e) {
        EXPECT_STREQ(e.what(), "There was no event handler for the OnNewDisk event, therefore no new disk could be inserted");
    }
    EXPECT_TRUE(c.Abort());

    // The next disk takes nothing.
    c.DiskCapacity = [](const std::string& p) -> int64_t { return p.back() == '1' ? 2000 : 0; };
    c.OnNewDisk = [](TTrnwCompress&, int, std::string&) {};
    try {
        c.SplitToVolumes(dir / "disk", "files.1");
        FAIL();
    } catch (const ETrnwCompress& e) {
        EXPECT_STREQ(e.what(), "There is too little space on this disk to operate");
    }

    // The handler may point to another folder, which holds for the later volumes too.
    testing::CreateFolderForTest(dir / "disk2");
    c.DiskCapacity = [](const std::string&) -> int64_t { return 9000; };
    // Volume 1 is asked for again at the end, to write the final headers.
    std::vector<int> asked;
    c.OnNewDisk = [&](TTrnwCompress&, int n, std::string& folder) {
        asked.push_back(n);
        folder = dir / (n == 1 ? "disk1" : "disk2");
    };
    testing::CreateFolderForTest(dir / "disk1");
    c.SplitToVolumes(dir / "disk1", "files.1");
    EXPECT_TRUE(fio::FileExists(dir / "disk2/files.2"));
    EXPECT_FALSE(fio::FileExists(dir / "disk1/files.2"));
    ASSERT_GE(asked.size(), 2u);
    EXPECT_EQ(asked.back(), 1);
    TTrnwCompress r;
    r.SetCompressedFile(dir / "disk1/files.1");
    r.OnNewDisk = [&](TTrnwCompress&, int, std::string& folder) { folder = dir / "disk2"; };
    ExpectExtractsAll(r, dir, entries);
}

TEST(Volumes, MissingVolumesAskForTheDiskAtMostFourTimes) {
    ScratchDir dir;
    auto entries = Entries();
    const auto volumes = testing::BuildVolumeSet(entries, 4096);
    ASSERT_GE(volumes.size(), 3u);
    WriteVolumes(dir, "files", volumes);
    std::remove((dir / "files.3").c_str());

    TTrnwCompress c;
    c.SetCompressedFile(dir / "files.1");
    c.SetExtractDirectory(dir / "out");
    for (const auto& e : entries) c.AddFileToProcess(e.name);
    try {
        c.Extract();
        FAIL();
    } catch (const ETrnwCompress& e) {
        EXPECT_STREQ(e.what(), "Could not open the correct disk file 3");
    }

    std::vector<int> asked;
    c.OnNewDisk = [&](TTrnwCompress&, int n, std::string&) { asked.push_back(n); };
    c.SetCompressedFile(dir / "files.1");
    for (const auto& e : entries) c.AddFileToProcess(e.name);
    try {
        c.Extract();
        FAIL();
    } catch (const ETrnwCompress& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open the compressed file " + (dir / "files.3"));
    }
    EXPECT_EQ(asked, (std::vector<int>{3, 3, 3, 3}));
    for (const auto& f : dir.Files()) EXPECT_EQ(f.find("~fw"), std::string::npos) << "partial file left: " << f;

    // The disk turns up in another folder when the user inserts it.
    testing::CreateFolderForTest(dir / "drive");
    for (size_t i = 0; i < volumes.size(); ++i)
        testing::WriteBytes(dir / ("drive/files." + std::to_string(i + 1)), volumes[i]);
    c.OnNewDisk = [&](TTrnwCompress&, int, std::string& folder) { folder = dir / "drive"; };
    c.SetCompressedFile(dir / "files.1");
    ExpectExtractsAll(c, dir, entries);
}

TEST(Volumes, DamagedVolumeSetTablesAreRefused) {
    struct Case { const char* what; size_t entry; size_t field; uint32_t value; bool byte; };
    const Case cases[] = {
        {"first volume 0", 1, field::FirstVolume, 0, true},
        {"last before first", 2, field::LastVolume, 0, true},
        {"data inside the headers", 0, field::DataStart, 100, false},
        {"entries out of order", 2, field::DataStart, 5 + 4 * 172, false},
        {"next header overlapping", 0, field::NextHeader, 100, false},
        {"data end past volume 1", 0, field::DataEnd, 0x7FFFFFF0, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        ScratchDir dir;
        auto entries = Entries();
        auto volumes = testing::BuildVolumeSet(entries, 100000);
        const size_t at = 5 + 172 * k.entry + k.field;
        if (k.byte) volumes[0][at] = static_cast<uint8_t>(k.value);
        else testing::Put32(volumes[0], at, k.value);
        WriteVolumes(dir, "files", volumes);
        TTrnwCompress c;
        c.SetCompressedFile(dir / "files.1");
        try {
            c.ReadHeaders();
            ADD_FAILURE() << "accepted";
        } catch (const ETrnwCompress& e) {
            EXPECT_STREQ(e.what(), msg::kCorruptHeaders);
        }
    }
}

TEST(Volumes, SplittingNeverWritesOverItsSource) {
    ScratchDir dir;
    auto entries = Entries();
    const Bytes single = testing::BuildSingleVolume(entries).bytes;
    testing::WriteBytes(dir / "files.1", single);
    testing::WriteBytes(dir / "files.3", single);
    TTrnwCompress c;
    c.OnNewDisk = [](TTrnwCompress&, int, std::string&) {};
    c.SetCompressedFile(dir / "files.1");
    try {
        c.SplitToVolumes(dir.Path(), "files.1");
        FAIL();
    } catch (const ETrnwCompress& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot write the volume " + fio::AddSeparator(dir.Path()) +
                                             "files.1 over the compressed file " + (dir / "files.1"));
    }
    EXPECT_EQ(testing::ReadBytes(dir / "files.1"), single);
    // A later volume would take the source's name.
    c.SetCompressedFile(dir / "files.3");
    c.DiskCapacity = [](const std::string&) -> int64_t { return 4000; };
    EXPECT_THROW(c.SplitToVolumes(dir.Path(), "files.1"), ETrnwCompress);
    EXPECT_EQ(testing::ReadBytes(dir / "files.3"), single);
}

TEST(Volumes, VolumeSetsCannotBeAppendedToOrSplitAgain) {
    ScratchDir dir;
    auto entries = Entries();
    WriteVolumes(dir, "files", testing::BuildVolumeSet(entries, 100000));
    testing::WriteText(dir / "new.txt", "new");
    const Bytes before = testing::ReadBytes(dir / "files.1");
    TTrnwCompress c;
    c.SetCompressedFile(dir / "files.1");
    c.AddFileToProcess(dir / "new.txt");
    EXPECT_THROW(c.Compress(lzcOnlyAdd, 0), ETrnwCompress);
    EXPECT_EQ(testing::ReadBytes(dir / "files.1"), before);
    testing::CreateFolderForTest(dir / "disk");
    try {
        c.SplitToVolumes(dir / "disk", "files.1");
        FAIL();
    } catch (const ETrnwCompress& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot split " + (dir / "files.1") + " because it is already a volume set");
    }
}

}  // namespace
}  // namespace fnwd
