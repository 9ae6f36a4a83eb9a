#pragma once
// pernard-cli sort: a folder's entries (by default every folder of the first root) put in order,
// and the root saved as `save` saves it.

#include <ostream>
#include <string>
#include <vector>

namespace pernard {

int RunSort(const std::vector<std::string>& arguments, std::ostream& err);

}  // namespace pernard
