// Archive throughput against raw zlib on the same files.
//
// The raw side does what any program must do to store and restore the same files with zlib: read
// each file in 64 KiB blocks, deflate with the archive's parameters into a 64 KiB buffer and write
// the result to one output file; inflate each stream back into its own file. The archive side is
// TTrnwCompress::Compress and Extract on the same files. Each figure is the best of several runs,
// in process CPU time.
//
//   bench_archive [MEGABYTES]   (default 24; data is generated in a scratch folder)
#include "trnw_compress.h"

#include <zlib.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr size_t kBlock = 65536;
constexpr int kRuns = 5;

std::vector<uint8_t> Generate(size_t size, int kind, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> out;
    out.reserve(size);
    static const char* const words[] = {"install ", "component ", "Fenwold ", "setup ", "archive ", "\r\n",
                                        "version ", "registry ", "shortcut ", "the ", "of ", "1.90 "};
    while (out.size() < size) {
        if (kind == 0) {  // text
            const char* w = words[rng() % 12];
            while (*w) out.push_back(static_cast<uint8_t>(*w++));
        } else if (kind == 1) {  // incompressible
            out.push_back(static_cast<uint8_t>(rng()));
        } else {  // program-like: small integers, repeated records, some noise
            const uint32_t v = rng();
            out.push_back(static_cast<uint8_t>(v & 0x0F));
            out.push_back(static_cast<uint8_t>((v >> 8) % 3 ? 0 : v >> 16));
            if (v % 7 == 0)
                for (int i = 0; i < 12; ++i) out.push_back(static_cast<uint8_t>("\x55\x8B\xEC\x83\xEC\x10\x53\x56\x57\x8B\x7D\x08"[i]));
        }
    }
    out.resize(size);
    return out;
}

// Process CPU time (user and system): other work on a shared machine does not count against either side.
double CpuSeconds() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void RawCompress(const std::vector<std::string>& files, const std::string& out_path, int level,
                 std::vector<std::pair<long, long>>& spans) {
    std::FILE* out = std::fopen(out_path.c_str(), "wb");
    std::vector<uint8_t> in(kBlock), buf(kBlock);
    spans.clear();
    for (const std::string& f : files) {
        std::FILE* src = std::fopen(f.c_str(), "rb");
        z_stream zs{};
        deflateInit2(&zs, level, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
        const long start = std::ftell(out);
        bool end = false;
        int r = Z_OK;
        while (r != Z_STREAM_END) {
            if (zs.avail_in == 0 && !end) {
                const size_t n = std::fread(in.data(), 1, in.size(), src);
                end = n < in.size();
                zs.next_in = in.data();
                zs.avail_in = static_cast<uInt>(n);
            }
            zs.next_out = buf.data();
            zs.avail_out = static_cast<uInt>(buf.size());
            r = deflate(&zs, end ? Z_FINISH : Z_NO_FLUSH);
            std::fwrite(buf.data(), 1, buf.size() - zs.avail_out, out);
        }
        deflateEnd(&zs);
        std::fclose(src);
        spans.emplace_back(start, std::ftell(out) - start);
    }
    std::fclose(out);
}

void RawExtract(const std::string& archive, const std::vector<std::pair<long, long>>& spans, const std::string& dir) {
    std::FILE* in = std::fopen(archive.c_str(), "rb");
    std::vector<uint8_t> ibuf(kBlock), obuf(kBlock);
    int i = 0;
    for (const auto& [start, size] : spans) {
        std::FILE* out = std::fopen((dir + "/raw" + std::to_string(i++)).c_str(), "wb");
        std::fseek(in, start, SEEK_SET);
        z_stream zs{};
        inflateInit(&zs);
        long left = size;
        int r = Z_OK;
        while (r != Z_STREAM_END) {
            if (zs.avail_in == 0) {
                const size_t n = std::fread(ibuf.data(), 1, std::min<long>(left, static_cast<long>(ibuf.size())), in);
                left -= static_cast<long>(n);
                zs.next_in = ibuf.data();
                zs.avail_in = static_cast<uInt>(n);
                if (n == 0) break;
            }
            zs.next_out = obuf.data();
            zs.avail_out = static_cast<uInt>(obuf.size());
            r = inflate(&zs, Z_NO_FLUSH);
            if (r < 0 && r != Z_BUF_ERROR) break;
            std::fwrite(obuf.data(), 1, obuf.size() - zs.avail_out, out);
        }
        inflateEnd(&zs);
        std::fclose(out);
    }
    std::fclose(in);
}

template <typename F>
double Best(F f) {
    double best = 1e30;
    for (int i = 0; i < kRuns; ++i) {
        const double a = CpuSeconds();
        f();
        best = std::min(best, CpuSeconds() - a);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const size_t megabytes = argc > 1 ? static_cast<size_t>(std::atoi(argv[1])) : 24;
    const fs::path dir = fs::temp_directory_path() / "fnwd_bench_archive";
    fs::remove_all(dir);
    fs::create_directories(dir / "src");
    std::vector<std::string> files;
    double total = 0;
    const size_t each = megabytes * 1024 * 1024 / 6;
    for (int i = 0; i < 6; ++i) {
        const auto data = Generate(each, i % 3, static_cast<unsigned>(i));
        const std::string path = (dir / "src" / ("file" + std::to_string(i) + ".bin")).string();
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(data.data(), 1, data.size(), f);
        std::fclose(f);
        files.push_back(path);
        total += static_cast<double>(data.size());
    }
    const double mb = total / (1024 * 1024);
    std::printf("data: %zu files, %.1f MiB (text, random and program-like), best of %d runs, MiB per CPU second\n", files.size(), mb, kRuns);
    std::printf("%-9s %12s %12s %8s %12s %12s %8s\n", "level", "add MiB/s", "zlib MiB/s", "ratio", "extract", "zlib",
                "ratio");

    const std::pair<const char*, fnwd::TCompressionLevel> levels[] = {
        {"fastest", fnwd::colFastest}, {"default", fnwd::colDefault}, {"max", fnwd::colMax}};
    for (const auto& [name, level] : levels) {
        const std::string archive = (dir / "files.1").string();
        const std::string raw = (dir / "raw.z").string();
        std::vector<std::pair<long, long>> spans;

        const double t_add = Best([&] {
            fnwd::TTrnwCompress c;
            c.SetCompressionLevel(level);
            c.SetCompressedFile(archive);
            c.SetFilesToProcess(files);
            c.Compress(false, 0);
        });
        const double t_raw = Best([&] { RawCompress(files, raw, fnwd::ZlibLevel(level), spans); });

        fs::create_directories(dir / "out");
        const double t_extract = Best([&] {
            fnwd::TTrnwCompress c;
            c.SetCompressedFile(archive);
            c.SetExtractDirectory((dir / "out").string());
            c.SetFilesToProcess(files);
            c.Extract();
        });
        const double t_inflate = Best([&] { RawExtract(raw, spans, (dir / "out").string()); });

        std::printf("%-9s %12.1f %12.1f %7.3fx %12.1f %12.1f %7.3fx\n", name, mb / t_add, mb / t_raw, t_raw / t_add,
                    mb / t_extract, mb / t_inflate, t_inflate / t_extract);
    }
    std::printf("ratio = archive throughput / raw zlib throughput (goal: add >= 0.95x, extract >= 0.9x)\n");
    fs::remove_all(dir);
    return 0;
}
