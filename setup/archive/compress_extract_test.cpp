// Building archives with Compress and reading them back with Extract.
#include "archive_test_util.h"
#include "trnw_compress.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <map>
#include <stdexcept>

namespace fnwd {
namespace {

using testing::Bytes;
using testing::ScratchDir;

Bytes Inflate(const Bytes& stream, size_t size) {
    Bytes out(size + 1);
    uLongf n = static_cast<uLongf>(out.size());
    EXPECT_EQ(uncompress(out.data(), &n, stream.data(), static_cast<uLong>(stream.size())), Z_OK);
    out.resize(n);
    return out;
}

struct Source {
    std::string path;
    Bytes data;
};

std::vector<Source> MakeSources(const ScratchDir& dir) {
    std::vector<Source> s = {
        {dir / "src/program.exe", testing::RandomData(150000, 11)},
        {dir / "src/readme.txt", testing::TextData(300000, 12)},
        {dir / "src/empty.dat", {}},
        {dir / "src/one.bin", {0x42}},
    };
    testing::CreateFolderForTest(dir / "src");
    int minute = 0;
    for (const Source& f : s) {
        testing::WriteBytes(f.path, f.data);
        testing::SetLocalModTime(f.path, 2021, 6, 15, 10, minute++, 30);
    }
    return s;
}

TEST(CompressExtract, EveryLevelRoundTripsAndStoresIndependentZlibStreams) {
    const std::pair<TCompressionLevel, uint8_t> levels[] = {
        {colNone, 0x01}, {colFastest, 0x01}, {colDefault, 0x9C}, {colMax, 0xDA}};
    for (const auto& [level, flg] : levels) {
        SCOPED_TRACE(level);
        ScratchDir dir;
        const auto sources = MakeSources(dir);
        TTrnwCompress c;
        c.VersionOf = [&](const std::string& p) { return p == sources[0].path ? "1.90.0.3" : ""; };
        c.SetCompressionLevel(level);
        c.SetCompressedFile(dir / "dist/files.1");  // the folder is created
        for (const auto& s : sources) c.AddFileToProcess(s.path + ";component");
        c.Compress(lzcOverwrite, 42);
        EXPECT_TRUE(c.FilesToProcess().empty());
        EXPECT_FALSE(c.HeadersLoaded());

        const Bytes archive = testing::ReadBytes(dir / "dist/files.1");
        ASSERT_EQ(testing::Get32(archive, 0), 4u);
        EXPECT_EQ(archive[4], 0);
        ASSERT_EQ(c.FileCount(), 4);
        int64_t pos = 5;
        for (int i = 0; i < 4; ++i) {
            const TEntryHeader h = c.GetFileStats(i).Header;
            EXPECT_EQ(h.Sequence, i + 1);
            EXPECT_EQ(h.FileName, sources[static_cast<size_t>(i)].path.substr(0, 100));
            EXPECT_EQ(h.FileSize, static_cast<int32_t>(sources[static_cast<size_t>(i)].data.size()));
            EXPECT_EQ(h.DataStart, pos + 172);
            EXPECT_EQ(h.DataEnd, h.DataStart + h.CompressedSize - 1);
            EXPECT_EQ(h.NextHeader, h.DataEnd + 1);
            EXPECT_EQ(h.FirstVolume, 0);
            EXPECT_EQ(h.LastVolume, 0);
            EXPECT_EQ(h.FileID, 42);
            EXPECT_EQ(h.Version, i == 0 ? "1.90.0.3" : "");
            EXPECT_EQ(DateTimeToIso(h.FileDate), "2021-06-15T10:0" + std::to_string(i) + ":30");
            const Bytes stream(archive.begin() + h.DataStart, archive.begin() + h.DataEnd + 1);
            EXPECT_EQ(stream[0], 0x78);
            EXPECT_EQ(stream[1], flg);
            EXPECT_EQ(Inflate(stream, static_cast<size_t>(h.FileSize)), sources[static_cast<size_t>(i)].data);
            pos = h.NextHeader;
        }
        EXPECT_EQ(pos, static_cast<int64_t>(archive.size()));
        if (level != colNone) {
            EXPECT_EQ(c.GetFileStats(2).CompressedSize, 8);  // an empty zlib stream
        }
        EXPECT_EQ(c.IndexOfID(42), 3);

        c.SetExtractDirectory(dir / "out/deeper");
        for (const auto& s : sources) c.AddFileToProcess(s.path);
        c.Extract();
        for (const auto& s : sources) {
            const std::string out = dir / ("out/deeper/" + fio::FileNamePart(s.path));
            EXPECT_EQ(testing::ReadBytes(out), s.data) << out;
            EXPECT_EQ(testing::ModTime(out), testing::ModTime(s.path)) << out;
        }
    }
}

TEST(CompressExtract, ProgressEventsCarryTheStatusRecord) {
    ScratchDir dir;
    const auto sources = MakeSources(dir);
    TTrnwCompress c;
    c.SetCompressedFile(dir / "files.1");
    std::vector<std::string> log;
    std::vector<TlzhFileStats> statuses;
    c.OnBeforeAdding = [&](TTrnwCompress&, const TlzhFileStats& s) { log.push_back("before " + s.FileName); };
    c.OnAfterAdding = [&](TTrnwCompress&, const TlzhFileStats& s) {
        log.push_back("after " + s.FileName + " " + std::to_string(s.CompressedSize));
        EXPECT_EQ(s.Header.CompressedSize, s.CompressedSize);
    };
    c.OnStatus = [&](TTrnwCompress&, const TlzhFileStats& s) { statuses.push_back(s); };
    int pumps = 0;
    c.ProcessMessages = [&] { ++pumps; };
    c.AddFileToProcess(sources[1].path);
    c.AddFileToProcess(sources[2].path);
    c.Compress(false, 1);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0], "before " + sources[1].path);
    EXPECT_EQ(log[2], "before " + sources[2].path);
    EXPECT_EQ(log[3], "after " + sources[2].path + " 8");
    ASSERT_FALSE(statuses.empty());
    EXPECT_GT(pumps, 0);
    // The last status of each entry has FileDone set and all of the file counted.
    const TlzhFileStats& last = statuses.back();
    EXPECT_EQ(last.FileDone, 1);
    EXPECT_EQ(last.FileBytesDone, 0);
    EXPECT_EQ(last.FilePercentDone, 0);  // divides by a size of 0
    EXPECT_EQ(last.CompressionRatio, 0);
    EXPECT_EQ(last.TotalBytesDone, 300000);
    EXPECT_EQ(last.TotalPercentDone, 100);
    EXPECT_EQ(last.TotalFileSize, 300000);
    int done_of_first = 0;
    for (const auto& s : statuses)
        if (s.FileName == sources[1].path && s.FileDone) {
            ++done_of_first;
            EXPECT_EQ(s.FileBytesDone, 300000);
            EXPECT_EQ(s.FilePercentDone, 100);
            EXPECT_EQ(s.CompressionRatio, RoundedPercent(s.CompressedSize, 300000));
        }
    EXPECT_EQ(done_of_first, 1);

    // Extraction: chunks of at most 4096 bytes, percentages never fall, the last one has FileDone.
    statuses.clear();
    std::vector<std::string> before;
    c.OnBeforeExtracting = [&](TTrnwCompress&, const TlzhFileStats& s) { before.push_back(s.FileName); };
    c.SetExtractDirectory(dir / "out");
    c.AddFileToProcess(sources[1].path);
    c.Extract();
    EXPECT_EQ(before, std::vector<std::string>{sources[1].path});
    ASSERT_GE(statuses.size(), 300000u / 4096);
    int previous = 0;
    for (size_t i = 0; i + 1 < statuses.size(); ++i) {
        EXPECT_GE(statuses[i].FileBytesDone, previous);
        EXPECT_LE(statuses[i].FileBytesDone - previous, 4096);
        previous = statuses[i].FileBytesDone;
        EXPECT_EQ(statuses[i].FileDone, 0);
    }
    EXPECT_EQ(statuses.back().FileDone, 1);
    EXPECT_EQ(statuses.back().FilePercentDone, 100);
    EXPECT_EQ(statuses.back().TotalBytesDone, 300000);
    EXPECT_EQ(statuses.back().TotalFileSize, 300000);
    EXPECT_EQ(statuses.back().TotalPercentDone, 100);
}

TEST(CompressExtract, AppendingAddsEntriesBehindTheOldOnes) {
    ScratchDir dir;
    const auto sources = MakeSources(dir);
    TTrnwCompress c;
    c.SetCompressedFile(dir / "files.1");
    c.AddFileToProcess(sources[0].path);
    c.AddFileToProcess(sources[1].path);
    c.Compress(lzcOverwrite, 5);
    const Bytes before = testing::ReadBytes(dir / "files.1");

    testing::WriteBytes(sources[0].path, testing::TextData(5000, 99));
    c.AddFileToProcess(sources[0].path);  // the same name again
    c.Compress(lzcOnlyAdd, 5);
    c.AddFileToProcess(sources[3].path);
    c.Compress(lzcOnlyAdd, 6);
    const Bytes after = testing::ReadBytes(dir / "files.1");
    ASSERT_EQ(c.FileCount(), 4);
    EXPECT_EQ(testing::Get32(after, 0), 4u);
    // The old entries' bytes are untouched.
    EXPECT_TRUE(std::equal(before.begin() + 5, before.end(), after.begin() + 5));
    EXPECT_EQ(c.IndexOfName(sources[0].path), 0);  // names find the first
    EXPECT_EQ(c.IndexOfID(5), 2);                 // IDs find the last
    EXPECT_EQ(c.IndexOfID(6), 3);
    EXPECT_EQ(c.GetFileStats(2).Header.Sequence, 1);

    c.SetExtractDirectory(dir / "out");
    c.AddFileToProcess(sources[0].path);
    c.AddFileToProcess(sources[3].path);
    c.Extract();
    EXPECT_EQ(testing::ReadBytes(dir / "out/program.exe"), sources[0].data);
    EXPECT_EQ(testing::ReadBytes(dir / "out/one.bin"), sources[3].data);
}

TEST(CompressExtract, AFailedCompressionLeavesAReadableArchive) {
    ScratchDir dir;
    const auto sources = MakeSources(dir);
    TTrnwCompress c;
    c.SetCompressedFile(dir / "files.1");
    c.AddFileToProcess(sources[3].path);
    c.Compress(false, 0);
    const Bytes good = testing::ReadBytes(dir / "files.1");

    // A missing source is found before the archive is touched, even when it would be rebuilt.
    c.AddFileToProcess(sources[1].path);
    c.AddFileToProcess(dir / "src/missing.txt");
    try {
        c.Compress(lzcOverwrite, 0);
        FAIL();
    } catch (const ETrnwCompress& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open the file " + (dir / "src/missing.txt"));
    }
    EXPECT_TRUE(c.Abort());
    EXPECT_TRUE(c.FilesToProcess().empty());
    EXPECT_EQ(testing::ReadBytes(dir / "files.1"), good);

    // The disk fills up in the middle of the second new entry: the entries already whole stay.
    const std::string archive = dir / "files.1";
    const size_t readme_stream = testing::ZlibCompress(sources[1].data, 9).size();
    c.DiskCapacity = [&](const std::string& p) -> int64_t {
        return p == archive ? static_cast<int64_t>(good.size() + 172 * 3 + readme_stream + 50000) : -1;
    };
    c.AddFileToProcess(sources[1].path);
    c.AddFileToProcess(sources[0].path);
    c.AddFileToProcess(sources[2].path);
    try {
        c.Compress(lzcOnlyAdd, 3);
        FAIL();
    } catch (const EtcDiskFull& e) {
        EXPECT_STREQ(e.what(), "The disk is full");
    }
    c.DiskCapacity = nullptr;
    ASSERT_EQ(c.FileCount(), 2);
    c.SetExtractDirectory(dir / "out");
    c.AddFileToProcess(sources[1].path);
    c.Extract();
    EXPECT_EQ(testing::ReadBytes(dir / "out/readme.txt"), sources[1].data);

    // Abort from a progress handler: OnAborted fires, nothing is raised, whole entries stay.
    int aborted = 0;
    c.OnAborted = [&](TTrnwCompress&) { ++aborted; };
    c.OnStatus = [](TTrnwCompress& sender, const TlzhFileStats& s) {
        if (s.FileName.find("program.exe") != std::string::npos) sender.SetAbort(true);
    };
    c.AddFileToProcess(sources[3].path);
    c.AddFileToProcess(sources[0].path);
    c.Compress(lzcOnlyAdd, 3);
    EXPECT_EQ(aborted, 1);
    EXPECT_EQ(c.FileCount(), 3);
}

TEST(CompressExtract, AbortAndFailuresDuringExtractionKeepTheOldFile) {
    ScratchDir dir;
    const auto sources = MakeSources(dir);
    TTrnwCompress c;
    c.SetCompressedFile(dir / "files.1");
    c.AddFileToProcess(sources[1].path);
    c.Compress(false, 0);
    testing::CreateFolderForTest(dir / "out");
    testing::WriteText(dir / "out/readme.txt", "old");
    c.SetExtractDirectory(dir / "out");
    const auto old_file_intact = [&] {
        EXPECT_EQ(dir.Files(), (std::vector<std::string>{"files.1", "out/readme.txt", "src/empty.dat",
                                                         "src/one.bin", "src/program.exe", "src/readme.txt"}));
        const Bytes b = testing::ReadBytes(dir / "out/readme.txt");
        EXPECT_EQ(std::string(b.begin(), b.end()), "old");
    };

    int aborted = 0, replaced = 0;
    c.OnAborted = [&](TTrnwCompress&) { ++aborted; };
    c.OnReplace = [&](TTrnwCompress&, const TlzhFileStats&) { ++replaced; };
    c.OnStatus = [](TTrnwCompress& sender, const TlzhFileStats& s) {
        if (s.FileBytesDone > 100000) sender.SetAbort(true);
    };
    c.AddFileToProcess(sources[1].path);
    c.Extract();  // raises nothing
    EXPECT_EQ(aborted, 1);
    EXPECT_EQ(replaced, 1);
    EXPECT_TRUE(c.Abort());
    old_file_intact();

    // A disk too small for the file: without OnFullDisk the extraction fails.
    c.OnStatus = nullptr;
    c.DiskCapacity = [](const std::string&) -> int64_t { return 50000; };
    c.AddFileToProcess(sources[1].path);
    EXPECT_THROW(c.Extract(), EtcDiskFull);
    old_file_intact();

    // An OnFullDisk handler that makes room lets the extraction carry on.
    int64_t capacity = 50000;
    c.DiskCapacity = [&](const std::string&) { return capacity; };
    c.OnFullDisk = [&](TTrnwCompress&) { capacity = -1; };
    c.AddFileToProcess(sources[1].path);
    c.Extract();
    EXPECT_EQ(testing::ReadBytes(dir / "out/readme.txt"), sources[1].data);

    // A handler that makes no room: the write still fails.
    capacity = 1000;
    c.OnFullDisk = [](TTrnwCompress&) {};
    c.AddFileToProcess(sources[1].path);
    EXPECT_THROW(c.Extract(), EtcDiskFull);
    EXPECT_EQ(testing::ReadBytes(dir / "out/readme.txt"), sources[1].data);
}

TEST(CompressExtract, ASilentAbortFromAHandlerEndsTheOperationQuietly) {
    ScratchDir dir;
    const auto sources = MakeSources(dir);
    TTrnwCompress c;
    c.SetCompressedFile(dir / "files.1");
    c.AddFileToProcess(sources[0].path);
    c.AddFileToProcess(sources[1].path);
    c.Compress(false, 0);

    int aborted = 0, pumps = 0;
    c.OnAborted = [&](TTrnwCompress&) { ++aborted; };
    c.ProcessMessages = [&] { ++pumps; };
    c.OnBeforeExtracting = [](TTrnwCompress&, const TlzhFileStats& s) {
        if (s.FileName.find("readme") != std::string::npos) throw EAbort();
    };
    c.SetExtractDirectory(dir / "out");
    c.AddFileToProcess(sources[0].path);
    c.AddFileToProcess(sources[1].path);
    c.Extract();  // raises nothing
    EXPECT_EQ(aborted, 0);
    EXPECT_FALSE(c.Abort());
    EXPECT_GE(pumps, 150000 / 4096);  // messages were processed at every output chunk
    EXPECT_EQ(testing::ReadBytes(dir / "out/program.exe"), sources[0].data);
    EXPECT_FALSE(fio::FileExists(dir / "out/readme.txt"));
    EXPECT_TRUE(c.FilesToProcess().empty());

    // Any other exception from a handler sets Abort and reaches the caller.
    c.OnBeforeExtracting = [](TTrnwCompress&, const TlzhFileStats&) { throw std::runtime_error("handler failed"); };
    c.AddFileToProcess(sources[0].path);
    EXPECT_THROW(c.Extract(), std::runtime_error);
    EXPECT_TRUE(c.Abort());
}

TEST(CompressExtract, MisuseGivesTheComponentsMessages) {
    TTrnwCompress c;
    try {
        c.AddStatus();
        FAIL();
    } catch (const ETrnwCompress& e) {
        EXPECT_STREQ(e.what(), "AddStatus has Nil DestFile");
    }
    c.SetAbort(true);
    EXPECT_THROW(c.AddStatus(), EtcAborted);

    ScratchDir dir;
    c.SetCompressedFile(dir / "files.1");
    c.AddFileToProcess("   ");
    EXPECT_TRUE(c.FilesToProcess().empty());  // blank lines are dropped
    c.AddFileToProcess(";just a component");
    try {
        c.Compress(false, 0);
        FAIL();
    } catch (const ETrnwCompress& e) {
        EXPECT_STREQ(e.what(), "Tried to add an invalid file header");
    }

    // An archive cannot take itself in.
    c.AddFileToProcess(dir / "files.1");
    testing::WriteBytes(dir / "files.1", Bytes(5, 0));
    try {
        c.Compress(true, 0);
        FAIL();
    } catch (const ETrnwCompress& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot add " + (dir / "files.1") + " to itself");
    }
    EXPECT_EQ(testing::ReadBytes(dir / "files.1"), Bytes(5, 0));
}

TEST(CompressExtract, HeadersFollowTheArchiveName) {
    ScratchDir dir;
    const auto sources = MakeSources(dir);
    TTrnwCompress c;
    c.SetCompressedFile(dir / "files.1");
    c.AddFileToProcess(sources[3].path);
    c.Compress(false, 0);
    ASSERT_EQ(c.FileCount(), 1);
    ASSERT_TRUE(c.HeadersLoaded());
    c.SetCompressedFile(dir / "FILES.7");  // another volume of the same set
    EXPECT_TRUE(c.HeadersLoaded());
    c.SetCompressedFile(dir / "other.1");
    EXPECT_FALSE(c.HeadersLoaded());
    c.SetCompressedFile(dir / "files.1");
    ASSERT_EQ(c.FileCount(), 1);
    c.SetOffset(10);  // another archive inside the same file
    EXPECT_FALSE(c.HeadersLoaded());
}

TEST(CompressExtract, CopyFileCopiesWithDateAndPolicy) {
    ScratchDir dir;
    const auto sources = MakeSources(dir);
    TTrnwCompress c;
    std::vector<TlzhFileStats> statuses;
    c.OnStatus = [&](TTrnwCompress&, const TlzhFileStats& s) { statuses.push_back(s); };
    testing::CreateFolderForTest(dir / "dest");
    c.CopyFile(sources[1].path, dir / "dest/copy.txt");
    EXPECT_EQ(testing::ReadBytes(dir / "dest/copy.txt"), sources[1].data);
    EXPECT_EQ(testing::ModTime(dir / "dest/copy.txt"), testing::ModTime(sources[1].path));
    EXPECT_EQ(c.ExtractDirectory(), dir / "dest");
    EXPECT_EQ(c.TargetFileName(), "");
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.back().FileDone, 1);
    EXPECT_EQ(statuses.back().FileName, sources[1].path);
    EXPECT_EQ(statuses.back().FileBytesDone, 300000);
    EXPECT_EQ(statuses.back().TotalPercentDone, 100);

    c.SetOverwrite(owNever);
    c.CopyFile(sources[0].path, dir / "dest/copy.txt");
    EXPECT_EQ(testing::ReadBytes(dir / "dest/copy.txt"), sources[1].data);

    // Abort from the progress handler: nothing raised, and the existing file stays.
    c.SetOverwrite(owAlways);
    c.OnStatus = [](TTrnwCompress& sender, const TlzhFileStats&) { sender.SetAbort(true); };
    c.CopyFile(sources[0].path, dir / "dest/copy.txt");
    EXPECT_EQ(testing::ReadBytes(dir / "dest/copy.txt"), sources[1].data);
    EXPECT_EQ(dir.Files().size(), 5u);

    c.OnStatus = nullptr;
    try {
        c.CopyFile(dir / "src/none", dir / "dest/x");
        FAIL();
    } catch (const ETrnwCompress& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open the file " + (dir / "src/none"));
    }
    try {
        c.CopyFile(sources[0].path, dir / "nofolder/x");
        FAIL();
    } catch (const ETrnwCompress& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create the file " + (dir / "nofolder/x"));
    }
}

}  // namespace
}  // namespace fnwd
