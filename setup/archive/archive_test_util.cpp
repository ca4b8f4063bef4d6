#include "archive_test_util.h"

#include "file_io.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace fnwd::testing {

ScratchDir::ScratchDir() {
    // Relative and short: stored names are cut to 100 characters, so deep build folders would
    // change what the tests store.
    static std::atomic<int> counter{0};
    const fs::path p = fs::path("arcs") / std::to_string(counter++);
    fs::remove_all(p);
    fs::create_directories(p);
    path_ = p.string();
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string ScratchDir::operator/(const std::string& name) const { return (fs::path(path_) / name).string(); }

std::vector<std::string> ScratchDir::Files() const {
    std::vector<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(path_))
        if (e.is_regular_file()) files.push_back(fs::relative(e.path(), path_).generic_string());
    std::sort(files.begin(), files.end());
    return files;
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void CreateFolderForTest(const std::string& path) { fs::create_directories(path); }

void SetLocalModTime(const std::string& path, int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    ASSERT_TRUE(fio::SetModTime(path, std::mktime(&t)));
}

std::time_t ModTime(const std::string& path) {
    fio::FileInfo info;
    EXPECT_TRUE(fio::Stat(path, info)) << path;
    return info.ModTime;
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const std::string& path, const std::string& text) { WriteBytes(path, Bytes(text.begin(), text.end())); }

Bytes TextData(size_t size, unsigned seed) {
    static const char* const words[] = {"plot ", "graph ", "equation ", "setup ", "archive ", "volume ",
                                        "zlib ", "the ", "of ", "and ", "\r\n", "1.90 ", "x^2 "};
    std::mt19937 rng(seed);
    Bytes out;
    out.reserve(size + 16);
    while (out.size() < size) {
        const char* w = words[rng() % (sizeof words / sizeof *words)];
        out.insert(out.end(), w, w + std::strlen(w));
    }
    out.resize(size);
    return out;
}

Bytes RandomData(size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes out(size);
    for (auto& b : out) b = static_cast<uint8_t>(rng());
    return out;
}

Bytes ZlibCompress(const Bytes& data, int level) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), level) != Z_OK) return {};
    out.resize(size);
    return out;
}

void Put32(Bytes& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t Get32(const Bytes& in, size_t at) {
    return uint32_t(in[at]) | uint32_t(in[at + 1]) << 8 | uint32_t(in[at + 2]) << 16 | uint32_t(in[at + 3]) << 24;
}

namespace {

Bytes HeaderBytes(const HandEntry& e, int32_t seq, uint8_t first_vol, uint32_t data_start, uint8_t last_vol,
                  uint32_t data_end, uint32_t next) {
    Bytes h(172, 0);
    Put32(h, field::Sequence, static_cast<uint32_t>(seq));
    uint64_t bits;
    std::memcpy(&bits, &e.date, 8);
    for (int i = 0; i < 8; ++i) h[field::FileDate + static_cast<size_t>(i)] = static_cast<uint8_t>(bits >> (8 * i));
    h[field::LastVolume] = last_vol;
    Put32(h, field::DataEnd, data_end);
    h[field::FileName] = static_cast<uint8_t>(e.name.size());
    std::memcpy(&h[field::FileName + 1], e.name.data(), e.name.size());
    Put32(h, field::NextHeader, next);
    Put32(h, field::FileSize, static_cast<uint32_t>(e.data.size()));
    Put32(h, field::DataStart, data_start);
    Put32(h, field::CompressedSize, static_cast<uint32_t>(e.stream.size()));
    h[field::FirstVolume] = first_vol;
    Put32(h, field::FileID, static_cast<uint32_t>(e.id));
    h[field::Version] = static_cast<uint8_t>(e.version.size());
    std::memcpy(&h[field::Version + 1], e.version.data(), e.version.size());
    return h;
}

}  // namespace

HandArchive BuildSingleVolume(std::vector<HandEntry>& entries) {
    HandArchive a;
    a.bytes.assign(5, 0);
    Put32(a.bytes, 0, static_cast<uint32_t>(entries.size()));
    int32_t seq = 1;
    for (HandEntry& e : entries) {
        e.stream = ZlibCompress(e.data);
        const size_t at = a.bytes.size();
        const uint32_t start = static_cast<uint32_t>(at + 172);
        const uint32_t end = static_cast<uint32_t>(start + e.stream.size() - 1);
        const Bytes h = HeaderBytes(e, seq++, 0, start, 0, end, end + 1);
        a.header_at.push_back(at);
        a.bytes.insert(a.bytes.end(), h.begin(), h.end());
        a.data_at.push_back(a.bytes.size());
        a.bytes.insert(a.bytes.end(), e.stream.begin(), e.stream.end());
    }
    return a;
}

std::vector<Bytes> BuildVolumeSet(std::vector<HandEntry>& entries, size_t capacity) {
    std::vector<Bytes> volumes(1);
    const size_t header_area = 5 + 172 * entries.size();
    Bytes data_stream;  // all data in order, then cut into volumes
    struct Place { uint8_t first_vol, last_vol; uint32_t start, end; };
    std::vector<Place> places;
    size_t vol = 1, pos = header_area;
    for (HandEntry& e : entries) {
        e.stream = ZlibCompress(e.data);
        Place p{};
        if (pos == capacity) {  // the entry starts at the very end of a full volume
            p.first_vol = static_cast<uint8_t>(vol);
            p.start = static_cast<uint32_t>(pos);
            ++vol;
            pos = 0;
        } else {
            p.first_vol = static_cast<uint8_t>(vol);
            p.start = static_cast<uint32_t>(pos);
        }
        size_t left = e.stream.size();
        while (left > 0) {
            const size_t room = capacity - pos;
            if (room == 0) {
                ++vol;
                pos = 0;
                continue;
            }
            const size_t n = std::min(room, left);
            pos += n;
            left -= n;
        }
        p.last_vol = static_cast<uint8_t>(vol);
        p.end = static_cast<uint32_t>(pos - 1);
        places.push_back(p);
        data_stream.insert(data_stream.end(), e.stream.begin(), e.stream.end());
    }
    Bytes& v1 = volumes[0];
    v1.assign(5, 0);
    Put32(v1, 0, static_cast<uint32_t>(entries.size()));
    v1[4] = 1;
    for (size_t i = 0; i < entries.size(); ++i) {
        const Bytes h = HeaderBytes(entries[i], static_cast<int32_t>(i + 1), places[i].first_vol, places[i].start,
                                    places[i].last_vol, places[i].end, static_cast<uint32_t>(5 + 172 * (i + 1)));
        v1.insert(v1.end(), h.begin(), h.end());
    }
    size_t taken = 0;
    while (taken < data_stream.size()) {
        Bytes& cur = volumes.back();
        const size_t room = capacity - cur.size();
        if (room == 0) {
            volumes.emplace_back();
            continue;
        }
        const size_t n = std::min(room, data_stream.size() - taken);
        cur.insert(cur.end(), data_stream.begin() + static_cast<long>(taken),
                   data_stream.begin() + static_cast<long>(taken + n));
        taken += n;
    }
    return volumes;
}

}  // namespace fnwd::testing
