#pragma once
// The verbs of pernard-cli that look into a collection: search, duplicates, report and check.

#include <ostream>
#include <string>
#include <vector>

namespace pernard {

int RunSearch(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
int RunDuplicates(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
int RunReport(const std::vector<std::string>& arguments, std::ostream& err);
// Checks the links; exit 0 when every URL answered 2xx or 3xx, 1 when any is broken or failed.
int RunCheck(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace pernard
