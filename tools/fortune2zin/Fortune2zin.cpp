#include "tools/fortune2zin/Fortune2zin.h"

#include "tools/common/Output.h"
#include "tools/fortune2zin/FortuneCommandLine.h"
#include "tools/fortune2zin/FortuneConverter.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <system_error>

namespace zintra {
namespace {

struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Why `path` is nothing to read, or empty. A device such as /dev/zero could be read for ever;
// a pipe ends when its writer does.
std::string Unreadable(const std::string& path) {
    std::error_code error;
    const auto type = std::filesystem::status(path, error).type();
    if (error) {
        return error.message();
    }
    if (type != std::filesystem::file_type::regular && type != std::filesystem::file_type::fifo) {
        return "not a regular file";
    }
    return {};
}

// Converts the fortune file to `out`; gives why it could not be read, or nothing.
std::string ConvertFile(const FortuneOptions& options, std::ostream& out) {
    if (std::string reason = Unreadable(options.path); !reason.empty()) {
        return reason;
    }
    try {
        const std::unique_ptr<std::FILE, Closer> file(std::fopen(options.path.c_str(), "rb"));
        if (!file) {
            throw std::system_error(errno, std::generic_category());
        }
        ConvertFortunes(file.get(), options, out);
    } catch (const std::system_error& error) {
        return error.code().message();
    } catch (const std::bad_alloc&) {
        return "a quotation is too large for the memory available";
    }
    return {};
}

} // namespace

int RunFortune2zin(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    FortuneOptions options;
    try {
        options = ParseFortuneCommandLine(args);
    } catch (const UsageError& error) {
        err << "fortune2zin: " << error.what() << '\n' << kFortuneUsageLine << '\n';
        return kFortuneUsageError;
    }
    if (options.help) {
        out << kFortuneUsageLine << '\n';
    } else if (const std::string reason = ConvertFile(options, out); !reason.empty()) {
        err << "fortune2zin: " << options.path << ": " << reason << '\n';
        return kFortuneUnreadable;
    }
    return OutputWritten(out, err, "fortune2zin") ? kFortuneConverted : kFortuneUnreadable;
}

} // namespace zintra
