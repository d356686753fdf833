// Parse and write of a large restrictions file, against the cost of reading the same bytes and
// counting their lines, and the memory a parsed model takes against the file's size.
#include "restrictions/RestrictionKeywords.h"
#include "restrictions/RestrictionsModel.h"
#include "restrictions/RestrictionsParser.h"
#include "restrictions/RestrictionsWriter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <malloc.h>

namespace {

// Bytes the heap has handed out and not taken back.
long long heapInUse()
{
    return static_cast<long long>(mallinfo2().uordblks);
}

}  // namespace

namespace {

using namespace vexilor;

// A file of 50 studios, 200 classes and 2,000 users; every record states every resource key with
// ranges and exceptions, and a share of the features.
std::string generateFile()
{
    std::mt19937 rng(1234);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    std::string text = "// Tovrin restrictions file\r\n// ------------------------\r\n\r\n[DEVICE \"BIG1\"]\r\n";
    auto ranges = [&]() {
        std::string r;
        int n = pick(1, 20);
        for (int i = 0; i < 6 && n < 900; ++i) {
            const int end = n + pick(0, 40);
            if (!r.empty())
                r += ',';
            r += std::to_string(n);
            if (end > n)
                r += '-' + std::to_string(end);
            n = end + pick(2, 60);
        }
        return r;
    };
    auto resourceLines = [&](bool studio) {
        for (int k = 0; k < kResourceKeyCount; ++k) {
            std::string key(resourceKeyName(k).begin(), resourceKeyName(k).end());
            if (studio) {
                text += key + " = " + ranges() + "\r\n";
                continue;
            }
            switch (pick(0, 2)) {
            case 0: text += key + " = *\r\n" + key + " @= " + ranges() + "\r\n"; break;
            case 1: text += key + " -= " + ranges() + "\r\n" + key + " += " + ranges() + "\r\n"; break;
            default: text += key + " = " + ranges() + "\r\n"; break;
            }
        }
    };
    auto features = [&]() {
        for (int i = 0; i < kFeatureKeywordCount; i += pick(1, 8)) {
            std::u16string_view key = featureKey(i);
            text += std::string(key.begin(), key.end()) + (pick(0, 1) ? " = Y\r\n" : " = N\r\n");
        }
    };
    for (int s = 0; s < 50; ++s) {
        text += "\r\n[STUDIO \"Studio " + std::to_string(s) + "\"]\r\n";
        resourceLines(true);
    }
    for (int c = 0; c < 200; ++c) {
        text += "\r\n[CLASS \"Class " + std::to_string(c) + "\"]\r\n";
        text += "studio+=\"Studio " + std::to_string(pick(0, 49)) + "\"\r\n";
        features();
        resourceLines(false);
    }
    for (int u = 0; u < 2000; ++u) {
        text += "\r\n[USER \"User " + std::to_string(u) + "\"]\r\n//Inheritance\r\n";
        text += "class=\"Class " + std::to_string(pick(0, 199)) + "\"\r\n";
        text += "studio-=\"Studio " + std::to_string(pick(0, 49)) + "\"\r\n";
        features();
        resourceLines(false);
    }
    text += "\r\n// -- End of Data --\r\n\r\n";
    return text;
}

const std::string& fileBytes()
{
    static const std::string bytes = generateFile();
    return bytes;
}

const std::filesystem::path& filePath()
{
    static const std::filesystem::path path = [] {
        const auto p = std::filesystem::temp_directory_path() / "vexilor-bench-large.res";
        std::ofstream(p, std::ios::binary) << fileBytes();
        return p;
    }();
    return path;
}

void setBytes(benchmark::State& state, std::size_t bytes)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["file_MB"] = double(bytes) / 1e6;
}

// Baseline: read the file from disk and count its lines.
void BM_ReadAndCountLines(benchmark::State& state)
{
    const auto& path = filePath();
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        std::string bytes(std::filesystem::file_size(path), '\0');
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        benchmark::DoNotOptimize(std::count(bytes.begin(), bytes.end(), '\n'));
    }
    setBytes(state, fileBytes().size());
}

// Read from disk and parse into a model, as opening a file does. Argument 0: as the program reads
// (in parts at once on a machine with several processors); 1: in one piece on one thread.
void BM_ParseFile(benchmark::State& state)
{
    const auto& path = filePath();
    const RestrictionsReadOptions options{.parts = static_cast<unsigned>(state.range(0))};
    for (auto _ : state) {
        auto model = std::make_unique<CRestrictionsModel>();
        const RestrictionsParseResult result = readRestrictionsFile(*model, path, options);
        if (!result.ok)
            state.SkipWithError(result.errorText.c_str());
        benchmark::DoNotOptimize(*model);
        // Freeing the model is not part of reading it.
        state.PauseTiming();
        model.reset();
        state.ResumeTiming();
    }
    setBytes(state, fileBytes().size());
}

// Write the parsed model back to a file on disk; the argument as for parsing.
void BM_WriteFile(benchmark::State& state)
{
    const RestrictionsWriteOptions options{.parts = static_cast<unsigned>(state.range(0))};
    const std::string& file = fileBytes();
    const long long before = heapInUse();
    CRestrictionsModel model;
    if (!parseRestrictions(model, file).ok) {
        state.SkipWithError("generated file does not parse");
        return;
    }
    const double modelBytes = double(heapInUse() - before);
    const auto out = std::filesystem::temp_directory_path() / "vexilor-bench-written.res";
    std::size_t written = 0;
    for (auto _ : state) {
        const std::optional<std::string> bytes = restrictionsFileBytes(model, options);
        std::ofstream(out, std::ios::binary | std::ios::trunc) << *bytes;
        written = bytes->size();
    }
    setBytes(state, written);
    state.counters["model_MB"] = modelBytes / 1e6;
    state.counters["model_to_file"] = modelBytes / double(fileBytes().size());
}

// Wall time: a large file is read by several threads at once. Each figure is taken five times;
// on a machine whose speed swings the least of them says most about the code, the median about
// the machine.
void measured(benchmark::internal::Benchmark* b)
{
    b->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
    b->ComputeStatistics("min", [](const std::vector<double>& v) {
        return *std::min_element(v.begin(), v.end());
    });
}
BENCHMARK(BM_ReadAndCountLines)->Apply(measured);
BENCHMARK(BM_ParseFile)->Apply(measured)->Arg(0)->Arg(1);
BENCHMARK(BM_WriteFile)->Apply(measured)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
