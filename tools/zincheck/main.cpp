#include "sock/SockUnit.h"
#include "tools/common/Output.h"
#include "tools/zincheck/Zincheck.h"

#include <QCoreApplication>
#include <iostream>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    zintra::ReportClosedPipes();
    // An http: or https: address is fetched through the socket component, on this program's
    // event loop.
    const QCoreApplication application(argc, argv);
    const zintra::SockUnit unit;
    if (!unit.Started()) {
        return zintra::SockUnit::FailureExitStatus;
    }
    return zintra::RunZincheck(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                               std::cerr);
}
