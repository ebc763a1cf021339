#include <iostream>

#include "tsccurve_cli.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return RunTsccurve(args, std::cout, std::cerr);
}
