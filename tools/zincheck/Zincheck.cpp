#include "tools/zincheck/Zincheck.h"

#include "base/Exceptions.h"
#include "core/ErrorText.h"
#include "core/MessageBar.h"
#include "tools/common/Output.h"
#include "tools/zincheck/CommandLine.h"
#include "tools/zincheck/ScratchFolder.h"
#include "web/FetchNow.h"
#include "web/WebAddress.h"

#include <QFile>

namespace zintra {
namespace {

// Keeps what the bar would show; zincheck has no timer, it ticks on request.
class BarText : public MessageBarView {
public:
    void SetBarText(const std::string& text) override { text_ = text; }
    void SetTimerEnabled(bool) override {}
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

// An address is fetched as the program fetches it, into a web folder of a scratch folder that
// goes as soon as the collection is loaded.
void LoadAddress(MessageBar& bar, const QString& address) {
    const QUrl url = ReadAddress(address);
    const ScratchFolder scratch;
    const WebFolder folder(scratch.FilePath(QStringLiteral("web")));
    bar.Load(QFile::encodeName(FetchCopyNow(url, folder)).toStdString());
}

void Preview(const ZincheckOptions& options, std::ostream& out) {
    BarText view;
    MessageBar bar(view);
    bar.Random().Seed(options.seed.value_or(RandomGenerator::ClockSeed()));
    bar.SetSeparator(options.separator);
    if (const QString path = QString::fromStdString(options.path); ReadsAsAddress(path)) {
        LoadAddress(bar, path);
    } else {
        bar.Load(options.path);
    }
    if (!options.ticks) {
        const std::size_t leadIn = bar.Buffer(bar.WindowWidth()).size();
        out << std::string_view(bar.MessageText()).substr(leadIn) << '\n';
        return;
    }
    // Output that cannot be written ends the ticks early; the caller reports it.
    for (std::uint32_t tick = 0; tick < *options.ticks && out; ++tick) {
        bar.Timer1Timer();
        out << view.Text() << '\n';
    }
}

} // namespace

int RunZincheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ZincheckOptions options;
    try {
        options = ParseCommandLine(args);
    } catch (const UsageError& error) {
        err << "zincheck: " << error.what() << '\n' << kUsageLine << '\n';
        return kZincheckUsageError;
    }
    if (options.help) {
        out << kUsageLine << '\n';
    } else {
        try {
            Preview(options, out);
        } catch (const Exception& error) {
            err << ErrorBoxText(error.Message()) << '\n';
            return kZincheckFailed;
        }
    }
    return OutputWritten(out, err, "zincheck") ? kZincheckLoaded : kZincheckFailed;
}

} // namespace zintra
