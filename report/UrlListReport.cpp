#include "report/UrlListReport.h"

#include <filesystem>
#include <system_error>

#include "util/CodePage.h"
#include "util/Dates.h"
#include "util/HtmlText.h"
#include "util/SafeFile.h"
#include "util/Text.h"

namespace pernard {

namespace fs = std::filesystem;

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr int kLongCategory = 8;  // characters; longer categories are set in a smaller font

class PageLines {
public:
    void Line(std::string_view text) {
        text_ += text;
        text_ += kLineEnd;
    }
    // A line of literal text around one escaped text.
    void Line(std::string_view before, std::string_view escaped, std::string_view after) {
        text_ += before;
        AppendEscapedHtml(text_, escaped);
        text_ += after;
        text_ += kLineEnd;
    }
    std::string Take() { return std::move(text_); }

private:
    std::string text_;
};

void WriteRow(const BmLogic& model, int entry, const UrlListPage& page, PageLines& lines) {
    const std::size_t k = static_cast<std::size_t>(entry);
    const std::string_view category = model.glName[model.gloya[k]];
    const std::string modified = ShownDateTimeText(model.glLast[k]);
    std::string remark = page.remarkOf ? page.remarkOf(entry) : std::string();
    if (remark.empty()) remark = "　";
    lines.Line("<tr><td>");
    if (MbLength(category) > kLongCategory) {
        lines.Line("<font size=-1>");
        lines.Line("", category, "</font></td><td>");
    } else {
        lines.Line("", category, "</td><td>");
    }
    lines.Line("<a href=\"", model.glUrl[k], "\" target=\"_new\">");
    lines.Line("", model.glName[k], "</a></td><td>");
    lines.Line("", modified.empty() ? std::string("------") : modified, "</td><td>");
    lines.Line("", remark, "</td><td>");
    lines.Line("　</td></tr>");
}

bool HasParentComponent(const std::string& name) {
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string::npos) end = name.size();
        if (name.compare(start, end - start, "..") == 0) return true;
        start = end + 1;
    }
    return false;
}

bool IsAbsoluteName(const std::string& name) {
    if (name.empty()) return false;
    if (name[0] == '/' || name[0] == '\\') return true;
    // A drive letter ("C:" ...) names a place of its own on Windows.
    return name.size() >= 2 && name[1] == ':';
}

}  // namespace

std::vector<int> ReportEntries(const BmLogic& model, int folder, bool expanded) {
    std::vector<int> entries;
    if (!model.IsValidIndex(folder) || !model.IsFolder(folder)) return entries;
    for (int entry : model.ListedEntries(folder, expanded)) {
        if (!model.IsFolder(entry)) entries.push_back(entry);
    }
    return entries;
}

std::string UrlListPageText(const BmLogic& model, int folder, const std::vector<int>& entries,
                            const UrlListPage& page) {
    PageLines lines;
    lines.Line("<HTML><HEAD>");
    lines.Line("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">");
    lines.Line("<TITLE>", page.title, "</TITLE></HEAD>");
    lines.Line("<Body bgcolor=\"", page.color, "\">");
    lines.Line("<h3><font color=\"Brown\">", model.glName[folder], "</font>");
    lines.Line("<small><font color=\"Black\">　　次回チェック時刻 : </font><font color=\"Brown\">");
    lines.Line("", page.nextCheck, "</font></small></h3>");
    lines.Line("<h4 align=right>");
    lines.Line("説明は<a href=\"setsumei.htm\">こちら</a>");
    lines.Line(
        "<img src=\"/scripts/Count.exe?srgb=00ff00&prgb=101010&ft=2&df=public.dat&trgb=000000\">"
        "<br>");
    lines.Line("</h4>");
    lines.Line("最終チェック時刻 : " + SecondsToDateTimeText(std::to_string(page.now)));
    lines.Line("<Table border=1><tr>");
    lines.Line("<th>分類</th>");
    lines.Line("<th>タイトル</th>");
    lines.Line("<th>最終更新時刻</th>");
    lines.Line("<th>更新行</th>");
    lines.Line("<th>評判</th>");
    lines.Line("</tr>");
    for (int entry : entries) WriteRow(model, entry, page, lines);
    lines.Line("</table>");
    lines.Line("</body></html>");
    return lines.Take();
}

bool ReportPathIn(const std::string& linkDirectory, std::string_view name, std::string& path,
                  std::string& errorText) {
    const std::string relative(name);  // `path` may be the caller's `name`
    path = linkDirectory;
    if (!path.empty() && path.back() != '/' && path.back() != fs::path::preferred_separator) {
        path += static_cast<char>(fs::path::preferred_separator);
    }
    path += relative;
    bool inside = !IsAbsoluteName(relative) && !HasParentComponent(relative);
    if (inside) {
        // A directory inside the link directory may still be a link to elsewhere.
        std::error_code error;
        const fs::path base = fs::weakly_canonical(linkDirectory, error);
        const fs::path directory = fs::weakly_canonical(fs::path(path).parent_path(), error);
        const std::string within = directory.lexically_relative(base).generic_string();
        inside = !error && !within.empty() && within.rfind("..", 0) != 0;
    }
    if (!inside) errorText = "Cannot Write " + path;
    return inside;
}

bool SaveUrlList(const BmLogic& model, int folder, bool expanded, const WritePermit& permit,
                 const UrlListPage& page, int& written, std::string& errorText) {
    const std::string& path = permit.Target();
    written = 0;
    if (!model.IsValidIndex(folder) || !model.IsFolder(folder)) {
        errorText = kReportNeedsFolder;
        return false;
    }
    // Only a regular file is replaced: never a directory, a device or a link.
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        errorText = "Cannot Write " + path;
        return false;
    }
    const std::vector<int> entries = ReportEntries(model, folder, expanded);
    std::string bytes;
    TextEncoder encoder(kCp932, &AppendNumericReference);
    encoder.Encode(UrlListPageText(model, folder, entries, page), bytes);
    SafeFileWriter file;
    if (!file.Open(path)) {
        errorText = "Cannot Write " + path;
        return false;
    }
    file.Write(bytes);
    if (!file.Commit()) {
        errorText = "Cannot Write " + path;
        return false;
    }
    written = static_cast<int>(entries.size());
    return true;
}

}  // namespace pernard
