#pragma once
// What every verb of pernard-cli shares: its options (the load options, and the options the verb
// takes), and a model with the command line's ports that reads the sources.

#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "cli/CliPorts.h"
#include "commands/WriteGate.h"
#include "model/BmLogic.h"

namespace pernard {

// The options a verb takes beside the load options.
struct VerbOptions {
    std::set<std::string> valued;  // "--to", ... (each takes the next argument)
    std::set<std::string> flags;   // "--url", ...
};

struct CommandLine {
    std::string maxUrl = "1000000";
    bool skipDuplicates = false;
    bool noEmptyFolders = false;
    std::string encoding;
    std::vector<std::string> sources;
    std::map<std::string, std::string> values;  // the verb's valued options given
    std::set<std::string> flags;                // the verb's flags given

    std::string Value(const std::string& option) const {
        const auto found = values.find(option);
        return found == values.end() ? std::string() : found->second;
    }
    bool Flag(const std::string& option) const { return flags.count(option) > 0; }
};

// Reads the arguments after the verb; false (with a message on `err`) for a usage error.
bool ParseCommandLine(const std::vector<std::string>& arguments, const VerbOptions& verb,
                      CommandLine& line, std::ostream& err);

// Reads a whole number option; false (with a message) when it is not one.
bool ParseNumber(const std::string& option, const std::string& text, int& number,
                 std::ostream& err);

// A table field with backslash, tab, CR and LF escaped as \\ \t \r \n.
std::string EscapeField(std::string_view text);
void AppendEscapedField(std::string& out, std::string_view text);

// A question the command line cannot answer was taken as No: says how to write anyway.
void SayDeclined(WriteRefusal refusal, std::ostream& err);

// "root", "folder" or "url".
const char* KindOf(const BmLogic& model, int index);

// --match exact|same|loose (exact when not given) and --loose-ignore LIST (with loose only);
// false, with a message, for anything else.
bool ParseMatch(const CommandLine& line, UrlMatch& match, std::ostream& err);

// The model of one command line, with the command line's ports.
class CliSession {
public:
    // Check-log lines (what a save could not write, the duplicate check's lines) go to `log`.
    CliSession(const CommandLine& line, std::ostream& err, std::ostream* log = nullptr);
    BmLogic& Model() { return model_; }
    const SettingsPort& Settings() const { return settings_; }
    // Bookmark files are written in UTF-8 (save --save-encoding UTF-8).
    void SaveInUtf8() { settings_.saveInUtf8 = true; }
    // What the check log's lines are, as the last save or check said; empty when it said nothing.
    const std::string& CheckLogStatus() const { return diagnostics_.status; }
    // Reads every source, the first as a complete load; false when any read failed.
    bool Load(const std::vector<std::string>& sources, std::ostream& err);

private:
    CliPrompts prompts_;
    NullProgress progress_;
    CliStatus status_;
    CliDiagnostics diagnostics_;
    FixedSettings settings_;
    NullDialogs dialogs_;
    BmLogic model_{Ports{&prompts_, &progress_, &status_, &diagnostics_, &settings_, &dialogs_}};
};

// The options of a verb that writes the collection as `save` does: --to FILE, --to-favorites DIR
// or --to-store, --root N, --save-encoding UTF-8, --force.
VerbOptions SaveOptions();
// Checks them before anything is read: exactly one target, UTF-8 as the only save encoding;
// false, with a message, for a usage error.
bool CheckSaveOptions(const CommandLine& line, std::ostream& err);
// The root --root names (the first root when not given); false, with a message, for an index
// that is no root.
bool PickRoot(const BmLogic& model, const std::string& text, int& root, std::ostream& err);
// Writes root `root` as the save options say, through the write gate; the exit status: 0
// written, 1 anything not written.
int WriteAsTold(CliSession& session, const CommandLine& line, int root, std::ostream& err);

}  // namespace pernard
