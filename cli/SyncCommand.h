#pragma once
// pernard-cli sync: a bookmark file's first root kept in step with a shared file on a WebDAV
// server.

#include <ostream>
#include <string>
#include <vector>

namespace pernard {

int RunSyncCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace pernard
