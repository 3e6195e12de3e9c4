#include "tests/support/TestFolder.h"
#include "tools/fortune2zin/Fortune2zin.h"
#include "tools/zincheck/Zincheck.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

using namespace zintra;

namespace {

// Standard output on a full disk: nothing written is taken.
class FullOutput : public std::streambuf {
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
};

using Tool = std::function<int(const std::vector<std::string>&, std::ostream&, std::ostream&)>;

struct OutputCase {
    const char* name;
    Tool tool;
    const char* toolName;
    std::vector<std::string> args; // "%F" stands for a collection, or a fortune file
};

class ToolOutputLost : public testing::TestWithParam<OutputCase> {};

TEST_P(ToolOutputLost, ExitsWithOneAndSaysSo) {
    TestFolder folder;
    const std::string file = folder.Write("file", "%\nA saying\n%\nAnother\n");
    std::vector<std::string> args = GetParam().args;
    std::replace(args.begin(), args.end(), std::string("%F"), file);
    FullOutput full;
    std::ostream out(&full);
    std::ostringstream err;
    EXPECT_EQ(GetParam().tool(args, out, err), 1);
    EXPECT_EQ(err.str(),
              GetParam().toolName + std::string(": standard output could not be written\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ToolOutputLost,
    testing::Values(OutputCase{"ZincheckText", RunZincheck, "zincheck", {"%F"}},
                    OutputCase{
                        "ZincheckTicks", RunZincheck, "zincheck", {"--ticks", "4294967295", "%F"}},
                    OutputCase{"ZincheckMissing", RunZincheck, "zincheck", {"/nowhere.zin"}},
                    OutputCase{"ZincheckHelp", RunZincheck, "zincheck", {"--help"}},
                    OutputCase{"Fortune2zin", RunFortune2zin, "fortune2zin", {"%F"}},
                    OutputCase{"Fortune2zinHelp", RunFortune2zin, "fortune2zin", {"--help"}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
