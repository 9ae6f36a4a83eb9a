#pragma once
// The commands of pernard-cli, separated from main() so that tests can run them in-process.

#include <ostream>
#include <string>
#include <vector>

namespace pernard {

class CliSession;
struct CommandLine;

// Runs one command line (without the program name). Returns the exit status: 0 success,
// 1 a read or write failed, 2 a usage error.
int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

// --save-encoding UTF-8 taken into the session; false (with a message) for another encoding.
bool TakeSaveEncoding(const CommandLine& options, CliSession& session, std::ostream& err);
// Writes root `root` of the loaded session as `save` does: --to FILE as a bookmark file or
// --to-favorites DIR as a Favorites directory, through the write gate (--force as given). The
// exit status: 0 written, 1 not (the reason said on `err`).
int SaveRootAsAsked(CliSession& session, const CommandLine& options, int root, std::ostream& err);

}  // namespace pernard
