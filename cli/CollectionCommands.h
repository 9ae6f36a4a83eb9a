#pragma once
// The verbs of pernard-cli that look into a collection: search, duplicates and report.

#include <ostream>
#include <string>
#include <vector>

namespace pernard {

int RunSearch(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
int RunDuplicates(const std::vector<std::string>& arguments, std::ostream& out,
                  std::ostream& err);
int RunReport(const std::vector<std::string>& arguments, std::ostream& err);

}  // namespace pernard
