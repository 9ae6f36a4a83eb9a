#pragma once
// The verbs of pernard-cli that look into a collection: search, duplicates, report and check;
// and dedupe, which cleans it up and writes it.

#include <ostream>
#include <string>
#include <vector>

namespace pernard {

int RunSearch(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
int RunDuplicates(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
// Reduces each group of duplicates to one entry (or moves the others into a folder), merges
// same-name folders on request, and writes the collection as save does.
int RunDedupe(const std::vector<std::string>& arguments, std::ostream& err);
int RunReport(const std::vector<std::string>& arguments, std::ostream& err);
// Checks the links; exit 0 when every URL answered 2xx or 3xx, 1 when any is broken or failed.
int RunCheck(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace pernard
