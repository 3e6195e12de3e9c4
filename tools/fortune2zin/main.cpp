#include "tools/common/Output.h"
#include "tools/fortune2zin/Fortune2zin.h"

#include <iostream>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    zintra::ReportClosedPipes();
    return zintra::RunFortune2zin(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                  std::cerr);
}
