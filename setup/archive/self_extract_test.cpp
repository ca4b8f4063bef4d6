// The self-extracting setup file and the remote file list.
#include "archive_test_util.h"
#include "self_extract.h"
#include "trnw_compress.h"

#include <gtest/gtest.h>

namespace fnwd {
namespace {

using testing::Bytes;
using testing::HandEntry;
using testing::ScratchDir;

TEST(SelfExtract, ArchivesEmbeddedInTheSetupFileAreFoundThroughTheTrailer) {
    for (bool with_product : {true, false}) {
        SCOPED_TRACE(with_product);
        ScratchDir dir;
        const Bytes loader = testing::RandomData(12345, 31);
        testing::WriteBytes(dir / "setup.exe", loader);
        std::vector<HandEntry> setup_entries(1), product_entries(2);
        setup_entries[0] = {"C:\\KIT\\FNWDSETUP.EXE", testing::RandomData(4000, 32), 45000.0, "", 0, {}};
        product_entries[0] = {"C:\\P\\FENWOLD.EXE", testing::TextData(50000, 33), 45000.0, "", 1, {}};
        product_entries[1] = {"C:\\P\\HELP.HLP", testing::TextData(7000, 34), 45000.0, "", 2, {}};
        const Bytes setup1 = testing::BuildSingleVolume(setup_entries).bytes;
        const Bytes files1 = testing::BuildSingleVolume(product_entries).bytes;
        testing::WriteBytes(dir / "setup.1", setup1);
        testing::WriteBytes(dir / "files.1", files1);

        const TSelfExtractTrailer built =
            BuildSelfExtractingFile(dir / "setup.exe", dir / "setup.1", with_product ? dir / "files.1" : "");
        const Bytes exe = testing::ReadBytes(dir / "setup.exe");
        ASSERT_EQ(exe.size(), loader.size() + setup1.size() + (with_product ? files1.size() : 0) + 56);
        const TSelfExtractTrailer t = ReadSelfExtractTrailer(dir / "setup.exe");
        EXPECT_TRUE(t.SignatureValid);
        EXPECT_EQ(t.SetupStart, 12345);
        EXPECT_EQ(t.SetupEnd, static_cast<int32_t>(12345 + setup1.size() - 1));
        EXPECT_EQ(t.ArchiveStart, with_product ? t.SetupEnd + 1 : 0);
        EXPECT_EQ(t.ArchiveEnd, with_product ? static_cast<int32_t>(exe.size() - 57) : 0);
        EXPECT_EQ(built.ArchiveStart, t.ArchiveStart);

        TTrnwCompress c;
        c.SetCompressedFile(dir / "setup.exe");
        c.SetOffset(t.SetupStart);
        ASSERT_EQ(c.FileCount(), 1);
        c.SetExtractDirectory(dir / "tmp");
        c.AddFileToProcess("c:\\kit\\fnwdsetup.exe");
        c.Extract();
        EXPECT_EQ(testing::ReadBytes(dir / "tmp/FNWDSETUP.EXE"), setup_entries[0].data);
        if (with_product) {
            c.SetOffset(t.ArchiveStart);
            ASSERT_EQ(c.FileCount(), 2);
            c.SetExtractDirectory(dir / "app");
            c.AddFileToProcess(product_entries[0].name);
            c.AddFileToProcess(product_entries[1].name);
            c.Extract();
            EXPECT_EQ(testing::ReadBytes(dir / "app/FENWOLD.EXE"), product_entries[0].data);
            EXPECT_EQ(testing::ReadBytes(dir / "app/HELP.HLP"), product_entries[1].data);

            // The embedded archive splits onto disks like a plain one.
            testing::CreateFolderForTest(dir / "a");
            c.DiskCapacity = [](const std::string&) -> int64_t { return 20000; };
            c.OnNewDisk = [](TTrnwCompress&, int, std::string&) {};
            c.SplitToVolumes(dir / "a", "files.1");
            TTrnwCompress r;
            r.SetCompressedFile(dir / "a/files.1");
            r.SetExtractDirectory(dir / "fromdisk");
            r.AddFileToProcess(product_entries[0].name);
            r.Extract();
            EXPECT_EQ(testing::ReadBytes(dir / "fromdisk/FENWOLD.EXE"), product_entries[0].data);
        }
    }
}

TEST(SelfExtract, UnusableTrailersAreRefused) {
    ScratchDir dir;
    const std::string path = dir / "setup.exe";
    const std::string message = "Could not read the extraction info from the archive file " + path +
                                " when trying to find the correct offset into the self extracting file";
    const auto expect_refused = [&](const char* what) {
        SCOPED_TRACE(what);
        try {
            ReadSelfExtractTrailer(path);
            ADD_FAILURE() << "accepted";
        } catch (const ETrnwCompress& e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    };
    expect_refused("missing file");
    testing::WriteBytes(path, Bytes(55, 0));
    expect_refused("shorter than the trailer");

    Bytes exe(1000, 0x90);
    TSelfExtractTrailer t{true, 100, 599, 600, 999};
    const auto tb = EncodeTrailer(t);
    exe.insert(exe.end(), tb.begin(), tb.end());
    testing::WriteBytes(path, exe);
    EXPECT_EQ(ReadSelfExtractTrailer(path).ArchiveEnd, 999);
    exe[exe.size() - 56 + 28] = 0xE8;  // ArchiveEnd 1000: past the archives
    exe[exe.size() - 56 + 29] = 0x03;
    testing::WriteBytes(path, exe);
    expect_refused("archive end past the file");
    testing::Put32(exe, exe.size() - 56 + 24, 50);  // archive inside setup.1
    testing::Put32(exe, exe.size() - 56 + 28, 900);
    testing::WriteBytes(path, exe);
    expect_refused("archive overlapping setup.1");
    // The signature is reported, not required.
    testing::Put32(exe, exe.size() - 56 + 24, 0);
    testing::Put32(exe, exe.size() - 56 + 28, 0);
    exe[exe.size() - 56] = 0;
    testing::WriteBytes(path, exe);
    const TSelfExtractTrailer unsigned_trailer = ReadSelfExtractTrailer(path);
    EXPECT_FALSE(unsigned_trailer.SignatureValid);
    EXPECT_EQ(unsigned_trailer.ArchiveStart, 0);
}

TEST(SelfExtract, FileListRoundTripsAndRefusesWhatItCannotHold) {
    ScratchDir dir;
    const std::vector<TFileListRecord> records = {
        {1000, 45000.5, "FenwoldMainProgram", "1.90.0.3"},
        {0, 44000.0, std::string(39, 'n'), std::string(19, '9')},
    };
    WriteFileList(dir / "filelist.lst", records);
    const Bytes bytes = testing::ReadBytes(dir / "filelist.lst");
    ASSERT_EQ(bytes.size(), 4u + 2 * 72);
    EXPECT_EQ(testing::Get32(bytes, 0), 2u);
    const auto back = ReadFileList(dir / "filelist.lst");
    EXPECT_EQ(back, records);
    ASSERT_NE(FindFileListRecord(back, "FENWOLDMAINPROGRAM"), nullptr);
    EXPECT_EQ(FindFileListRecord(back, "FENWOLDMAINPROGRAM")->Version, "1.90.0.3");
    EXPECT_EQ(FindFileListRecord(back, "other"), nullptr);

    try {
        WriteFileList(dir / "long.lst", {{1, 1, std::string(40, 'n'), ""}});
        FAIL();
    } catch (const ETrnwCompress& e) {
        EXPECT_EQ(std::string(e.what()), "The component name " + std::string(40, 'n') +
                                             " is longer than the 39 characters a file list can hold");
    }
    EXPECT_THROW(WriteFileList(dir / "long.lst", {{1, 1, "x", std::string(20, '1')}}), ETrnwCompress);
    EXPECT_FALSE(fio::FileExists(dir / "long.lst"));

    Bytes bad = bytes;
    testing::Put32(bad, 0, 3);  // more records than the file holds
    testing::WriteBytes(dir / "bad.lst", bad);
    try {
        ReadFileList(dir / "bad.lst");
        FAIL();
    } catch (const ETrnwCompress& e) {
        EXPECT_EQ(std::string(e.what()), "The file list " + (dir / "bad.lst") + " is corrupt");
    }
    testing::Put32(bad, 0, 0x80000000);
    testing::WriteBytes(dir / "bad.lst", bad);
    EXPECT_THROW(ReadFileList(dir / "bad.lst"), ETrnwCompress);
}

}  // namespace
}  // namespace fnwd
