#include "cli/CliSession.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <system_error>
#include "history/VersionHistory.h"
#include "util/Numbers.h"

#include "cli/CliUsage.h"
#include "commands/FavoritesCommands.h"
#include "commands/LoadCommands.h"
#include "commands/SaveCommands.h"
#include "commands/StoreCommands.h"
#include "formats/BrowserStores.h"
#include "formats/favorites/FavoritesReader.h"
#include "formats/bookmarkfile/NetscapeReader.h"
#include "formats/bookmarkfile/NetscapeWriter.h"
#include "util/CodePage.h"

namespace pernard {

namespace {

// Takes the value of an option; false when it is missing.
bool TakeValue(const std::vector<std::string>& arguments, std::size_t& k, std::string& value,
               std::ostream& err) {
    if (k + 1 >= arguments.size()) {
        err << arguments[k] << " needs a value\n";
        return false;
    }
    value = arguments[++k];
    return true;
}

// The Favorites target must be new or empty: the command line never deletes anything.
bool PrepareFavoritesTarget(const std::string& directory, std::ostream& err) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(directory, error))) {
        err << directory << " is a symbolic link\n";
        return false;
    }
    if (fs::exists(directory, error)) {
        if (!fs::is_directory(directory, error) || !fs::is_empty(directory, error)) {
            err << directory << " exists and is not an empty directory\n";
            return false;
        }
        return true;
    }
    if (!fs::create_directories(directory, error)) {
        err << "Cannot create " << directory << '\n';
        return false;
    }
    return true;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& arguments, const VerbOptions& verb,
                      CommandLine& line, std::ostream& err) {
    for (std::size_t k = 1; k < arguments.size(); ++k) {
        const std::string& argument = arguments[k];
        if (argument == "--max-url") {
            if (!TakeValue(arguments, k, line.maxUrl, err)) return false;
        } else if (verb.valued.count(argument) > 0) {
            if (!TakeValue(arguments, k, line.values[argument], err)) return false;
        } else if (verb.flags.count(argument) > 0) {
            line.flags.insert(argument);
        } else if (argument == "--encoding") {
            if (!TakeValue(arguments, k, line.encoding, err)) return false;
            if (CanonicalCharset(line.encoding).empty()) {
                err << "unknown encoding: " << line.encoding << '\n';
                return false;
            }
        } else if (argument == "--browser") {
            std::string browser;
            if (!TakeValue(arguments, k, browser, err)) return false;
            const std::string store =
                DefaultStoreOf(FindBrowserStores(StoreLocations::FromEnvironment()), browser);
            if (store.empty()) {
                err << "no bookmarks of " << browser << " found (--browser takes " << kBrowserNames
                    << ")\n";
                return false;
            }
            line.sources.push_back(store);
        } else if (argument == "--skip-duplicates") {
            line.skipDuplicates = true;
        } else if (argument == "--no-empty-folders") {
            line.noEmptyFolders = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            err << "unknown option: " << argument << '\n';
            return false;
        } else {
            line.sources.push_back(argument);
        }
    }
    if (line.sources.empty()) {
        err << "no SOURCE given\n";
        return false;
    }
    return true;
}

bool ParseNumber(const std::string& option, const std::string& text, int& number,
                 std::ostream& err) {
    if (!ParseWholeNumber(text, number)) {
        err << option << " needs a whole number\n";
        return false;
    }
    return true;
}

std::string EscapeField(std::string_view field) {
    std::string out;
    AppendEscapedField(out, field);
    return out;
}

namespace {

// The bytes a printed field cannot hold as they are.
constexpr std::array<bool, 256> kNotPlain = [] {
    std::array<bool, 256> table{};
    for (unsigned char c : {'\\', '\t', '\r', '\n', '\0'}) table[c] = true;
    return table;
}();

// Whether any of the eight bytes at `bytes` may be one that is escaped: a byte below 14 (which
// holds the NUL, tab, line feed and carriage return) or a backslash.
bool MayHoldEscaped(const char* bytes) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    const std::uint64_t below14 = (word - kOnes * 14) & ~word & kHighs;
    const std::uint64_t backslash = word ^ (kOnes * '\\');
    return (below14 | ((backslash - kOnes) & ~backslash & kHighs)) != 0;
}

const char* EscapeOf(char c) {
    switch (c) {
        case '\\':
            return "\\\\";
        case '\t':
            return "\\t";
        case '\r':
            return "\\r";
        case '\n':
            return "\\n";
        case '\0':
            return "\\0";
        default:
            return nullptr;
    }
}

}  // namespace

void AppendEscapedField(std::string& out, std::string_view field) {
    // Bytes kept from a file are printed as they are shown: the output stays UTF-8.
    std::string shown;
    if (HasKeptBytes(field)) {
        shown = ShownText(field);
        field = shown;
    }
    // Runs of plain bytes go out whole; only the bytes between them are looked at one by one,
    // and eight bytes at a time are passed over while none of them needs a look.
    std::size_t run = 0;
    std::size_t at = 0;
    while (at < field.size()) {
        if (field.size() - at >= 8 && !MayHoldEscaped(field.data() + at)) {
            at += 8;
            continue;
        }
        const char* escape =
            kNotPlain[static_cast<unsigned char>(field[at])] ? EscapeOf(field[at]) : nullptr;
        if (escape != nullptr) {
            out.append(field.data() + run, at - run);
            out += escape;
            run = at + 1;
        }
        ++at;
    }
    out.append(field.data() + run, field.size() - run);
}

void SayDeclined(WriteRefusal refusal, std::ostream& err) {
    if (refusal == WriteRefusal::Declined) err << "nothing written (--force writes it anyway)\n";
}

const char* KindOf(const BmLogic& model, int index) {
    const std::size_t i = static_cast<std::size_t>(index);
    if (model.gloya[i] < 0) return "root";
    return model.glUrl[i] == kFolderMarker ? "folder" : "url";
}

CliSession::CliSession(const CommandLine& line, std::ostream& err, std::ostream* log)
    : prompts_(err), status_(err), diagnostics_(log != nullptr ? *log : err, err) {
    settings_.maxUrl = line.maxUrl;
    settings_.skipDuplicates = line.skipDuplicates;
    settings_.noEmptyFolders = line.noEmptyFolders;
    settings_.fallbackEncoding = line.encoding;
    // Every overwrite keeps the version before it, within the bound the window's settings set.
    settings_.historyDirectory = VersionHistory::DefaultRoot();
    settings_.historyLimit =
        StoredHistoryLimit(settings_.historyDirectory).value_or(kDefaultHistoryLimit);
}

bool CliSession::Load(const std::vector<std::string>& sources, std::ostream& err) {
    bool ok = true;
    for (std::size_t k = 0; k < sources.size(); ++k) {
        const ReadOutcome outcome = LoadSource(model_, k == 0, sources[k]);
        // Said as the window's panel 0 says a failure, with the read's notices after it.
        if (!outcome.ok) err << ReadOutcomePanel(outcome, kCompleteLoadWords) << '\n';
        for (const std::string& notice : outcome.notices) err << notice << '\n';
        if (!outcome.ok) {
            ok = false;
            if (k == 0 && model_.glCT == 0) break;
        }
    }
    return ok;
}

bool ParseMatch(const CommandLine& line, UrlMatch& match, std::ostream& err) {
    const std::string level = line.Value("--match");
    if (level.empty() || level == "exact") {
        match.level = MatchLevel::Exact;
    } else if (level == "same") {
        match.level = MatchLevel::SameResource;
    } else if (level == "loose") {
        match.level = MatchLevel::Loose;
    } else {
        err << "--match takes exact, same or loose\n";
        return false;
    }
    if (line.values.count("--loose-ignore") == 0) return true;
    if (match.level != MatchLevel::Loose) {
        err << "--loose-ignore goes with --match loose\n";
        return false;
    }
    if (!ParseLooseRules(line.Value("--loose-ignore"), match.loose)) {
        err << "--loose-ignore takes a comma-separated list of fragment, slash, index, tracking, "
               "www and scheme, or all or none\n";
        return false;
    }
    return true;
}

VerbOptions SaveOptions() {
    return {{"--to", "--to-favorites", "--root", "--save-encoding"}, {"--force", "--to-store"}};
}

bool CheckSaveOptions(const CommandLine& line, std::ostream& err) {
    const int targets = !line.Value("--to").empty() + !line.Value("--to-favorites").empty() +
                        line.Flag("--to-store");
    if (targets != 1) {
        err << "give exactly one of --to, --to-favorites and --to-store\n" << CliUsage();
        return false;
    }
    const std::string saveEncoding = line.Value("--save-encoding");
    if (!saveEncoding.empty() && CanonicalCharset(saveEncoding) != kUtf8) {
        err << "--save-encoding takes UTF-8 (without it, a root is written in its own encoding)\n";
        return false;
    }
    return true;
}

bool PickRoot(const BmLogic& model, const std::string& text, int& root, std::ostream& err) {
    root = 0;
    if (!text.empty() && !ParseNumber("--root", text, root, err)) return false;
    if (root < 0 || root >= model.glCT || model.gloya[root] != -1) {
        err << "entry " << root << " is not a root\n";
        return false;
    }
    return true;
}

namespace {

// Writes a Chromium-family store's root back into the store it was read from.
int SaveToStore(BmLogic& model, int root, bool force, std::ostream& err) {
    if (!IsBrowserStore(model.SourceKindOf(root))) {
        err << "--to-store writes a root read from a browser's store back to it\n";
        return 2;
    }
    WriteRefusal refusal = WriteRefusal::None;
    if (SaveBrowserStore(model, root, force, &refusal)) return 0;
    SayDeclined(refusal, err);
    return 1;
}

}  // namespace

int WriteAsTold(CliSession& session, const CommandLine& line, int root, std::ostream& err) {
    BmLogic& model = session.Model();
    if (line.Flag("--to-store")) return SaveToStore(model, root, line.Flag("--force"), err);
    if (!line.Value("--save-encoding").empty()) session.SaveInUtf8();
    const std::string toFile = line.Value("--to");
    const std::string toFavorites = line.Value("--to-favorites");
    const WriteRequest request{
        .kind = toFile.empty() ? WriteKind::Favorites : WriteKind::BookmarkFile,
        .target = toFile.empty() ? toFavorites : toFile,
        .roots = {root},
        .force = line.Flag("--force")};
    if (!toFile.empty()) {
        if (WouldReplaceKeptBytes(model, root)) {
            err << "note: bytes that did not decode are written as U+FFFD in this encoding\n";
        }
        WriteRefusal refusal = WriteRefusal::None;
        if (SaveBookmarkFile(model, request, &refusal)) return 0;
        SayDeclined(refusal, err);
        return 1;
    }
    if (!PrepareFavoritesTarget(toFavorites, err)) return 1;
    int notWritten = 0;
    WriteRefusal refusal = WriteRefusal::None;
    const bool saved = SaveFavorites(model, request, &notWritten, &refusal);
    SayDeclined(refusal, err);
    if (!session.CheckLogStatus().empty()) err << session.CheckLogStatus() << '\n';
    return saved ? 0 : 1;
}

}  // namespace pernard
