#include <iostream>
#include <string>
#include <vector>

#include "cli/CliCommands.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    std::ios::sync_with_stdio(false);
    return pernard::RunCli(arguments, std::cout, std::cerr);
}
