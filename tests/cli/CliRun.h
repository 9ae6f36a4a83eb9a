#pragma once
// Runs one pernard-cli command line in-process and keeps what it printed.

#include <sstream>
#include <string>
#include <vector>

#include "cli/CliCommands.h"

namespace pernard::testing {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

inline CliRun RunWith(const std::vector<std::string>& arguments) {
    std::ostringstream out, err;
    const int status = RunCli(arguments, out, err);
    return {status, out.str(), err.str()};
}

}  // namespace pernard::testing
