#pragma once
// Writing the URL list page of a folder (the report window, the update-order output and the
// command line's report), once the write gate lets the file be written.

#include <string>

#include "model/BmLogic.h"
#include "report/UrlListReport.h"

namespace pernard {

// Asks the gate whether `path` may take the page (never a browser's store, never a file or
// shortcut a load read: the gate says why), then writes it (report/UrlListReport.h). False with
// `errorText` empty when the gate refused and said so, else with the writer's error text.
bool SaveUrlListReport(const BmLogic& model, int folder, bool expanded, const std::string& path,
                       const UrlListPage& page, int& written, std::string& errorText);

}  // namespace pernard
