#pragma once
// pernard-cli history and restore: the earlier versions the program kept of a file or Favorites
// directory before it overwrote it, listed, compared with the target as it is, and put back.

#include <ostream>
#include <string>
#include <vector>

namespace pernard {

int RunHistory(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
int RunRestore(const std::vector<std::string>& arguments, std::ostream& err);

}  // namespace pernard
