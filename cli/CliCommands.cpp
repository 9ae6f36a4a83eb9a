#include "cli/CliCommands.h"

#include <charconv>

#include "cli/CliPorts.h"
#include "formats/NetscapeReader.h"
#include "model/BmLogic.h"

namespace pernard {

namespace {

constexpr const char* kUsage =
    "usage: pernard-cli list [--max-url N] [--skip-duplicates] [--no-empty-folders] SOURCE...\n";

const char* KindOf(const BmLogic& model, int index) {
    const std::size_t i = static_cast<std::size_t>(index);
    if (model.gloya[i] < 0) return "root";
    return model.glUrl[i] == kFolderMarker ? "folder" : "url";
}

struct LoadOptions {
    std::string maxUrl = "1000000";
    bool skipDuplicates = false;
    bool noEmptyFolders = false;
    std::vector<std::string> sources;
};

// Reads the options of a load; false (with a message on `err`) for a usage error.
bool ParseLoadOptions(const std::vector<std::string>& arguments, LoadOptions& options,
                      std::ostream& err) {
    for (std::size_t k = 1; k < arguments.size(); ++k) {
        const std::string& argument = arguments[k];
        if (argument == "--max-url") {
            if (k + 1 >= arguments.size()) {
                err << "--max-url needs a number\n";
                return false;
            }
            options.maxUrl = arguments[++k];
        } else if (argument == "--skip-duplicates") {
            options.skipDuplicates = true;
        } else if (argument == "--no-empty-folders") {
            options.noEmptyFolders = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            err << "unknown option: " << argument << '\n';
            return false;
        } else {
            options.sources.push_back(argument);
        }
    }
    if (options.sources.empty()) {
        err << "no SOURCE given\n";
        return false;
    }
    return true;
}

void PrintTable(const BmLogic& model, std::ostream& out) {
    for (int i = 0; i < model.glCT; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        out << i << '\t' << model.gloya[k] << '\t' << KindOf(model, i) << '\t'
            << EscapeField(model.glName[k]) << '\t' << EscapeField(model.glUrl[k]) << '\t'
            << EscapeField(model.glAdd[k]) << '\t' << EscapeField(model.glVisit[k]) << '\t'
            << EscapeField(model.glLast[k]) << '\n';
    }
}

int RunList(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    LoadOptions options;
    if (!ParseLoadOptions(arguments, options, err)) {
        err << kUsage;
        return 2;
    }
    CliPrompts prompts(err);
    CliProgress progress;
    CliStatus status(err);
    DiagnosticsPort diagnostics;
    CliSettings settings;
    settings.maxUrl = options.maxUrl;
    settings.skipDuplicates = options.skipDuplicates;
    settings.noEmptyFolders = options.noEmptyFolders;
    BmLogic model(Ports{&prompts, &progress, &status, &diagnostics, &settings});

    int exitCode = 0;
    for (std::size_t k = 0; k < options.sources.size(); ++k) {
        int urlCount = 0;
        std::string errorText;
        if (!ReadNetscapeFile(model, k == 0, options.sources[k], urlCount, errorText)) {
            err << "エラー " << errorText << '\n';
            exitCode = 1;
            if (k == 0 && model.glCT == 0) break;
        }
    }
    PrintTable(model, out);
    return exitCode;
}

}  // namespace

std::string EscapeField(const std::string& text) {
    if (text.find_first_of("\\\t\r\n") == std::string::npos) return text;
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            default: out += c;
        }
    }
    return out;
}

int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.empty()) {
        err << kUsage;
        return 2;
    }
    if (arguments[0] == "list") return RunList(arguments, out, err);
    err << "unknown command: " << arguments[0] << '\n' << kUsage;
    return 2;
}

}  // namespace pernard
