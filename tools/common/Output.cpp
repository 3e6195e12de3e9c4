#include "tools/common/Output.h"

#include <csignal>

namespace zintra {

void ReportClosedPipes() {
    std::signal(SIGPIPE, SIG_IGN);
}

bool OutputWritten(std::ostream& out, std::ostream& err, std::string_view tool) {
    if (out.flush()) {
        return true;
    }
    err << tool << ": standard output could not be written\n";
    return false;
}

} // namespace zintra
