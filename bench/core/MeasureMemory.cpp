// Peak resident memory of loading one generated collection, against the file's size:
//   zintra_memory_core [ENTRIES]   (default 1000000; shuffled)
#include "bench/core/GeneratedCollection.h"
#include "core/MessageBar.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/resource.h>

namespace {

class NoWindow : public zintra::MessageBarView {
public:
    void SetBarText(const std::string&) override {}
    void SetTimerEnabled(bool) override {}
};

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    const auto entries = static_cast<std::int32_t>(argc > 1 ? std::atol(argv[1]) : 1000000);
    const std::string path = GeneratedCollectionPath(entries, false);
    const double fileMb = static_cast<double>(WriteGeneratedCollection(path, entries, false)) / 1e6;
    const long before = PeakKilobytes();
    NoWindow window;
    zintra::MessageBar bar(window);
    bar.Random().Seed(1);
    bar.Load(path);
    const double peakMb = static_cast<double>(PeakKilobytes()) * 1024 / 1e6;
    std::printf("entries %d  file %.1f MB  peak before load %.1f MB  peak %.1f MB  "
                "peak/file %.2f\n",
                entries, fileMb, static_cast<double>(before) * 1024 / 1e6, peakMb, peakMb / fileMb);
    std::filesystem::remove(path);
    return 0;
}
