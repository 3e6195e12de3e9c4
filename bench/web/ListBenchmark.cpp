// Reading a list of collections and showing it in the list box, by the number of entries.
#include "base/StringList.h"
#include "dialogs/CollectionListDialog.h"
#include "web/CollectionList.h"

#include <QApplication>
#include <benchmark/benchmark.h>

using namespace zintra;

namespace {

const QUrl kList(QStringLiteral("http://127.0.0.1:8000/lists/index"));

std::string TextList(std::int64_t entries) {
    std::string body;
    for (std::int64_t i = 0; i < entries; ++i) {
        body += "collection-" + std::to_string(i) + ".zin\n";
    }
    return body;
}

// A folder's index page, as a web server writes one.
std::string HtmlList(std::int64_t entries) {
    std::string body = "<!DOCTYPE html><html><body><ul>\n";
    for (std::int64_t i = 0; i < entries; ++i) {
        const std::string name = "collection-" + std::to_string(i) + ".zin";
        body += "<li><a href=\"" + name + "\">" + name + "</a></li>\n";
    }
    return body + "</ul></body></html>\n";
}

void ReadTextList(benchmark::State& state) {
    const std::string body = TextList(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadCollectionList(kList, body, "text/plain").size());
    }
}

void ReadHtmlList(benchmark::State& state) {
    const std::string body = HtmlList(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadCollectionList(kList, body, "text/html").size());
    }
}

void NameEntries(benchmark::State& state) {
    const std::vector<QUrl> entries = ReadCollectionList(kList, TextList(state.range(0)), "");
    for (auto _ : state) {
        benchmark::DoNotOptimize(CollectionNames(entries).size());
    }
}

// The list box filled with the names of a list, as the dialog fills it.
void FillListBox(benchmark::State& state) {
    TStringList names;
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        names.Add("collection-" + std::to_string(i) + ".zin");
    }
    TForm5 form;
    for (auto _ : state) {
        form.AddItems(names);
    }
}

BENCHMARK(ReadTextList)->Arg(16000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadHtmlList)->Arg(16000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(NameEntries)->Arg(16000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(FillListBox)->Arg(16000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
