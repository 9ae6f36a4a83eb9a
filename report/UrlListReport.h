#pragma once
// The URL list report: the bookmarks a folder shows in the list, written as one HTML page to be
// published (a heading, the time of the last check, a table of category, linked title, last
// modified time and remark).

#include <functional>
#include <string>
#include <vector>

#include "model/BmLogic.h"
#include "model/WritePermit.h"

namespace pernard {

inline constexpr const char* kReportNeedsFolder = "フォルダーを指定してください";

struct UrlListPage {
    std::string title;      // the page's title
    std::string color;      // its background colour, as typed
    std::string nextCheck;  // the next check's time; nothing sets it in this edition
    long long now = 0;      // the time of writing, seconds since 1970
    // The remark (備考) of an entry, as the list shows it; none when not set.
    std::function<std::string(int entry)> remarkOf;
};

// The bookmarks the list shows for `folder`: its children, or with `expanded` everything below
// it, in table order; folders are left out.
std::vector<int> ReportEntries(const BmLogic& model, int folder, bool expanded);

// The page of `folder` with the rows of `entries`, in UTF-8, every line ending CR LF. Every
// text taken from the collection or the window is HTML-escaped.
std::string UrlListPageText(const BmLogic& model, int folder, const std::vector<int>& entries,
                            const UrlListPage& page);

// The report file of a name relative to the link directory, joined with the platform's
// separator. False, with "Cannot Write " + the path, for a name that is absolute or holds a
// ".." component, or whose directory lies outside the link directory.
bool ReportPathIn(const std::string& linkDirectory, std::string_view name, std::string& path,
                  std::string& errorText);

// Writes the report of `folder` to the permitted file in Shift_JIS (characters it cannot hold
// as &#NNN;), through a temporary file renamed over the old one when complete; only a regular
// file is replaced. False with the error text: kReportNeedsFolder when `folder` is no folder,
// "Cannot Write " + path when the file cannot be written. `written` is the number of rows.
bool SaveUrlList(const BmLogic& model, int folder, bool expanded, const WritePermit& permit,
                 const UrlListPage& page, int& written, std::string& errorText);

}  // namespace pernard
