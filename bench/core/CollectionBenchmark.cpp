#include "bench/core/GeneratedCollection.h"
#include "core/MessageBar.h"
#include "core/TextFile.h"
#include "tests/support/LiteralAssembly.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <map>

using namespace zintra;

namespace {

class NoWindow : public MessageBarView {
public:
    void SetBarText(const std::string& text) override { benchmark::DoNotOptimize(text.data()); }
    void SetTimerEnabled(bool) override {}
};

// Each shape is written once per run and reused by every benchmark that needs it.
const std::string& Collection(std::int32_t entries, bool fileOrder) {
    static std::map<std::pair<std::int32_t, bool>, std::string> paths;
    auto [slot, added] = paths.try_emplace({entries, fileOrder});
    if (added) {
        slot->second = GeneratedCollectionPath(entries, fileOrder);
        WriteGeneratedCollection(slot->second, entries, fileOrder);
    }
    return slot->second;
}

// What every load does at the least: each line of the file, read into `line`.
void ReadEveryLine(const std::string& path, std::string& line) {
    TextFile file(path);
    while (!file.Eof()) {
        file.ReadLine(line);
        benchmark::DoNotOptimize(line.data());
    }
}

void SetFileSize(benchmark::State& state, const std::string& path) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(path)));
}

// The floor: only reading the file's lines.
void ReadLines(benchmark::State& state) {
    const std::string& path = Collection(static_cast<std::int32_t>(state.range(0)), false);
    std::string line;
    for (auto _ : state) {
        ReadEveryLine(path, line);
    }
    SetFileSize(state, path);
}

// The floor of a shuffled load: reading the file's lines and making the same draws.
void ReadAndDraw(benchmark::State& state) {
    const auto entries = static_cast<std::int32_t>(state.range(0));
    const std::string& path = Collection(entries, false);
    RandomGenerator random;
    random.Seed(1);
    DrawnIndices drawn;
    std::string line;
    for (auto _ : state) {
        ReadEveryLine(path, line);
        drawn.Clear();
        // The entries are the lines after the divider line and the title.
        drawn.DrawAll(random, 2, entries + 1);
        benchmark::DoNotOptimize(drawn.Count());
    }
    SetFileSize(state, path);
}

void Load(benchmark::State& state, bool fileOrder) {
    const std::string& path = Collection(static_cast<std::int32_t>(state.range(0)), fileOrder);
    NoWindow window;
    MessageBar bar(window);
    bar.Random().Seed(1);
    for (auto _ : state) {
        bar.Load(path);
        benchmark::DoNotOptimize(bar.MessageLength());
    }
    SetFileSize(state, path);
}

void LoadShuffled(benchmark::State& state) {
    Load(state, false);
}
void LoadFileOrder(benchmark::State& state) {
    Load(state, true);
}

// The baseline: reading into a list of texts and the draws searched through decimal texts.
void LiteralLoadShuffled(benchmark::State& state) {
    const std::string& path = Collection(static_cast<std::int32_t>(state.range(0)), false);
    RandomGenerator random;
    random.Seed(1);
    TStringList used;
    for (auto _ : state) {
        TextFile file(path);
        std::vector<std::string> lines;
        for (std::string line = file.ReadLine(); !line.empty(); line = file.ReadLine()) {
            lines.push_back(line);
        }
        benchmark::DoNotOptimize(LiteralSetStrings(lines, random, used).data());
    }
    SetFileSize(state, path);
}

void Tick(benchmark::State& state) {
    NoWindow window;
    MessageBar bar(window);
    bar.Random().Seed(1);
    bar.Load(Collection(static_cast<std::int32_t>(state.range(0)), false));
    for (auto _ : state) {
        bar.Timer1Timer();
    }
}

} // namespace

BENCHMARK(ReadLines)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(
    benchmark::kMillisecond);
BENCHMARK(ReadAndDraw)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(LoadShuffled)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(LoadFileOrder)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(LiteralLoadShuffled)->Arg(1000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK(Tick)->Arg(10)->Arg(1000000);
