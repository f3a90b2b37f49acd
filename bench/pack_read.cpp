// Reading every entry of a pack of a few thousand compressed entries through
// CFileResource::OpenFile, against zlib's uncompress of the same stored bytes
// already in memory. BM_PackReadRatio reports open time / uncompress time.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/side_by_side.h"
#include "data/file_resource.h"
#include "data/pack_archive.h"
#include "data/pack_writer.h"
#include "platform/paths.h"

namespace {

struct Entry {
    std::string path;
    uint32_t size;
    std::vector<uint8_t> stored;
};

struct Fixture {
    std::string dir;
    CPackFile pack;
    std::vector<Entry> entries;
    uint64_t totalBytes = 0;

    Fixture() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "qm_bench_pack.XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) std::abort();
        dir = tmpl;
        const char* words[] = {"sword", "shield", "potion", "0x1F", "monster", "level",
                               "quest", "npc",    "map",    "12",   "345",     "\x82\xa0\x82\xa2",
                               "ani",   "frame",  "x",      "y",    "layer",   "effect"};
        std::mt19937 rng(42);
        PackDirPlan root{"QuillMarrow", {}, {}};
        for (int folder = 0; folder < 40; ++folder) {
            for (int file = 0; file < 75; ++file) {
                char name[64];
                std::snprintf(name, sizeof name, "Folder%02d/%04d.Z5D", folder, file);
                std::string data;
                size_t target = 1000 + rng() % 3000;
                while (data.size() < target) {
                    data += words[rng() % std::size(words)];
                    data += char(rng() % 7 == 0 ? '\n' : ' ');
                    if (rng() % 5 == 0) data += char(rng());
                }
                root.AddFile(name, data);
                entries.push_back({name, uint32_t(data.size()), {}});
                totalBytes += data.size();
            }
        }
        std::vector<uint8_t> bytes = BuildPack(root, 0x5a);
        std::string path = dir + "/QuillMarrow.DAT";
        if (!plat::WriteFileAtomic(path, bytes.data(), bytes.size()) || !pack.OpenPack(path.c_str()))
            std::abort();
        for (Entry& e : entries) {
            uint32_t size = 0, stored = 0;
            if (!pack.FindPackEntry(e.path.c_str(), &size, &stored)) std::abort();
            const uint8_t* p = pack.ReadStored(stored);
            e.stored.assign(p, p + stored);
        }
    }
    ~Fixture() { std::filesystem::remove_all(dir); }
};

Fixture& GetFixture() {
    static Fixture fixture;
    return fixture;
}

void OpenAll(Fixture& f) {
    for (const Entry& e : f.entries) {
        CFileResource file;
        if (!file.OpenFile(e.path.c_str(), kFileStream, "rb", true, &f.pack)) std::abort();
        benchmark::DoNotOptimize(file.GetData());
    }
}

void UncompressAll(Fixture& f) {
    for (const Entry& e : f.entries) {
        std::unique_ptr<uint8_t[]> out(new uint8_t[e.size]);
        uLongf length = e.size;
        if (uncompress(out.get(), &length, e.stored.data(), uLong(e.stored.size())) != Z_OK) std::abort();
        benchmark::DoNotOptimize(out.get());
    }
}

void BM_PackOpenFile(benchmark::State& state) {
    Fixture& f = GetFixture();
    for (auto _ : state) OpenAll(f);
    state.SetBytesProcessed(int64_t(state.iterations() * f.totalBytes));
    state.counters["entries"] = double(f.entries.size());
}
BENCHMARK(BM_PackOpenFile)->Unit(benchmark::kMillisecond);

void BM_ZlibUncompress(benchmark::State& state) {
    Fixture& f = GetFixture();
    for (auto _ : state) UncompressAll(f);
    state.SetBytesProcessed(int64_t(state.iterations() * f.totalBytes));
}
BENCHMARK(BM_ZlibUncompress)->Unit(benchmark::kMillisecond);

// Both in each iteration, in alternating order; the counter is their ratio.
void BM_PackReadRatio(benchmark::State& state) {
    Fixture& f = GetFixture();
    bench::SideBySide(
        state, [&] { OpenAll(f); }, [&] { UncompressAll(f); }, "open", "uncompress");
}
BENCHMARK(BM_PackReadRatio)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
