#pragma once
// The commands of pernard-cli, separated from main() so that tests can run them in-process.

#include <ostream>
#include <string>
#include <vector>

namespace pernard {

// Runs one command line (without the program name). Returns the exit status: 0 success,
// 1 a read or write failed, 2 a usage error.
int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace pernard
