#include "history/VersionDescription.h"

#include <cstdio>
#include <map>

namespace pernard {

namespace {

constexpr std::string_view kDescriptionHeader = "pernard-version 1";

std::string FormatName(VersionFormat format) {
    switch (format) {
        case VersionFormat::Html: return "html";
        case VersionFormat::Json: return "json";
        case VersionFormat::Directory: return "directory";
    }
    return "html";
}

std::optional<VersionFormat> FormatFromName(std::string_view name) {
    for (VersionFormat format :
         {VersionFormat::Html, VersionFormat::Json, VersionFormat::Directory}) {
        if (name == FormatName(format)) return format;
    }
    return std::nullopt;
}


}  // namespace

std::string Describe(const KeptVersion& v) {
    std::string text(kDescriptionHeader);
    text += "\ntarget\t" + v.target + "\nkept\t" + std::to_string(v.keptAt) + "\nsize\t" +
            std::to_string(v.size) + "\nbookmarks\t" + std::to_string(v.counts.bookmarks) +
            "\nfolders\t" + std::to_string(v.counts.folders) + "\nformat\t" +
            FormatName(v.format) + "\nstorage\t" + (v.linked ? "link" : "zstd") + "\nstored\t" +
            std::to_string(v.stored) + "\nstamp\t" + std::to_string(v.linkStamp) + "\n";
    return text;
}

// A version's description as Describe wrote it; nullopt for anything else.
std::optional<KeptVersion> ParseDescription(const std::string& text) {
    KeptVersion v;
    std::map<std::string, std::string, std::less<>> fields;
    std::string_view rest(text);
    bool first = true;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        if (end == std::string_view::npos) return std::nullopt;
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end + 1);
        if (first) {
            if (line != kDescriptionHeader) return std::nullopt;
            first = false;
            continue;
        }
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) return std::nullopt;
        fields.emplace(std::string(line.substr(0, tab)), std::string(line.substr(tab + 1)));
    }
    const auto field = [&](const char* name) -> std::optional<std::string> {
        const auto found = fields.find(name);
        if (found == fields.end()) return std::nullopt;
        return found->second;
    };
    const auto target = field("target");
    const auto storage = field("storage");
    const auto format = field("format");
    if (!target || target->empty() || !storage || (*storage != "link" && *storage != "zstd") ||
        !format || !FormatFromName(*format)) {
        return std::nullopt;
    }
    v.target = *target;
    v.linked = *storage == "link";
    v.format = *FormatFromName(*format);
    const bool numbers =
        ParseNumber(field("kept").value_or(""), v.keptAt) &&
        ParseNumber(field("size").value_or(""), v.size) &&
        ParseNumber(field("bookmarks").value_or(""), v.counts.bookmarks) &&
        ParseNumber(field("folders").value_or(""), v.counts.folders) &&
        ParseNumber(field("stored").value_or(""), v.stored) &&
        ParseNumber(field("stamp").value_or(""), v.linkStamp);
    if (!numbers || (v.linked && v.format == VersionFormat::Directory)) return std::nullopt;
    return v;
}
std::string NumberName(int number) {
    char text[16];
    std::snprintf(text, sizeof text, "%06d", number);
    return text;
}

}  // namespace pernard
