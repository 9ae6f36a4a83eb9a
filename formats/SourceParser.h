#pragma once
// A source opened for reading. Each format offers an opener (OpenBookmarkFile,
// OpenFavoritesDirectory, OpenShortcutFile, OpenChromiumStore, OpenFirefoxStore) that looks at the
// source without touching the table and gives a parser of what it opened. The owner of a load
// (commands/LoadCommands) begins the one load transaction, runs the parser inside it and ends it:
// a parser never takes the model, it only adds what it finds through the builder.

#include <memory>
#include <string>

#include "model/EntryBuilder.h"

namespace pernard {

class SourceParser {
public:
    virtual ~SourceParser() = default;
    // What the progress window says while the source is read.
    virtual const char* ProgressText() const = 0;
    // Reads the opened source into the builder. False, with `errorText` when there is something
    // to say, when the read failed or stopped early; what was read before stays in the table.
    virtual bool Parse(EntryBuilder& builder, std::string& errorText) = 0;
};

// What an opener gives: a parser, or why the source cannot be read (nothing is changed then).
struct OpenedSource {
    std::unique_ptr<SourceParser> parser;
    std::string errorText;

    static OpenedSource Refused(std::string why) { return {nullptr, std::move(why)}; }
    template <class Parser, class... Args>
    static OpenedSource Opened(Args&&... args) {
        return {std::make_unique<Parser>(std::forward<Args>(args)...), {}};
    }
};

}  // namespace pernard
