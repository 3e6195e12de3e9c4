// Scrolls a collection at a 1 ms interval on the offscreen platform and checks that each tick
// moves the bar by exactly one character; prints the ticks run and the CPU time per tick.
//   zintra_scroll_check COLLECTION [TICKS]
#include "app/MainWindow.h"
#include "platform/Application.h"
#include "platform/FileChooser.h"
#include "platform/StaticText.h"
#include "platform/Timer.h"

#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <sys/resource.h>

namespace {

class NoChooser : public zintra::FileChooser {
public:
    std::optional<QString> Choose(QWidget*, const zintra::FileRequest&) override {
        return std::nullopt;
    }
};

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// One tick moved the bar by one character: the new window starts with the old one less its
// first character. (A pass starts with two all-blank windows, which also pass.)
bool MovedByOne(const QString& before, const QString& after) {
    if (before == "Loading...")
        return true;
    const QString rest = before.mid(1);
    if (rest.isEmpty()) // the last character has left: the next pass begins blank
        return after.trimmed().isEmpty();
    return after.startsWith(rest) && after.size() <= rest.size() + 1;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zintra_scroll_check COLLECTION [TICKS]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::string collection = argv[1];
    const long ticks = argc > 2 ? std::atol(argv[2]) : 5000;
    zintra::Application application(argc, argv);
    application.SetTitle("Zintra 1.00");

    QTemporaryDir folder;
    const std::string settings = folder.filePath("config.ini").toStdString();
    std::ofstream(settings, std::ios::binary) << " : \r\n1\r\n" << collection << "\r\n";
    zintra::TForm1* Form1 = nullptr;
    application.CreateForm(
        Form1, [settings] { return settings; }, std::make_unique<NoChooser>());
    Form1->show();

    long seen = 0;
    long faults = 0;
    QString shown = Form1->StaticText1->Caption();
    const double cpuBefore = CpuSeconds();
    QObject::connect(Form1->Timer1, &zintra::Timer::Tick, [&] {
        const QString now = Form1->StaticText1->Caption();
        if (!MovedByOne(shown, now))
            ++faults;
        shown = now;
        if (++seen == ticks)
            application.Terminate();
    });
    application.Run();
    const double cpu = CpuSeconds() - cpuBefore;

    std::printf("ticks %ld, ticks not moving by one character %ld, CPU per tick %.1f us\n", seen,
                faults, cpu / static_cast<double>(seen) * 1e6);
    return faults == 0 ? 0 : 1;
}
