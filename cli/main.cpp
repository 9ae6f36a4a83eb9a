#include <iostream>
#include <string>
#include <vector>

#include "cli/CliCommands.h"

#ifdef _WIN32
#include <windows.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // The program's texts are UTF-8 (its arguments too: its manifest makes UTF-8 the process
    // code page); the console shows them as such.
    SetConsoleOutputCP(CP_UTF8);
#endif
    std::vector<std::string> arguments(argv + 1, argv + argc);
    std::ios::sync_with_stdio(false);
    return pernard::RunCli(arguments, std::cout, std::cerr);
}
