// config.ini: any bytes give the three settings lines and an interval, or the conversion's
// failure text; the lines written back read the same.
#include "base/Exceptions.h"
#include "base/IntegerText.h"
#include "core/SettingsFile.h"
#include "tests/fuzz/FuzzSupport.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace zintra;

namespace {

SettingsLines Read(std::string_view bytes, std::size_t readSize) {
    TextFile file(bytes, readSize);
    return ReadSettings(file);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto readSize = input.ConsumeIntegralInRange<std::size_t>(1, 64);
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    const SettingsLines settings = Read(bytes, readSize);

    std::vector<std::string> lines = ReferenceLines(bytes);
    lines.resize(3);
    Require(settings.Separator == lines[0] && settings.Interval == lines[1] &&
                settings.Path == lines[2],
            "the settings are the first three lines, missing ones empty");

    // As Stuff writes them: each followed by CR LF.
    const std::string written = lines[0] + "\r\n" + lines[1] + "\r\n" + lines[2] + "\r\n";
    const SettingsLines reread = Read(written, readSize);
    Require(reread.Separator == lines[0] && reread.Interval == lines[1] && reread.Path == lines[2],
            "the settings written back read the same");

    try {
        const std::int32_t interval = StrToInt(settings.Interval);
        Require(TryStrToInt(settings.Interval) == interval, "the interval converts");
    } catch (const EConvertError& error) {
        Require(error.Message() == "'" + settings.Interval + "' is not a valid integer value",
                "a bad interval fails with the conversion's text");
    }
    return 0;
}
