#pragma once
// One load of a source into the table, from its beginning to its end. A load begins by emptying
// the table (a complete load) or by forgetting the undo history (an additional one: the steps
// would not know its rows), with the tree in bulk mode and the progress window shown. It ends
// once, whatever came of the read (done, failed or stopped early): the builder's open folders
// closed, empty folders dropped when the settings ask, the tree announced, the roots remembered
// as read (their state hashed, once) and the progress window closed. A reader only parses: what
// it finds goes into the table through the transaction's builder.

#include <string>
#include <vector>

#include "model/BmLogic.h"
#include "model/EntryBuilder.h"

namespace pernard {

// What came of a read, for its caller to say once.
struct ReadOutcome {
    bool ok = false;
    int urlCount = 0;
    std::string errorText;             // what failed or stopped the read
    std::vector<std::string> notices;  // what the user is told once after it
};

class LoadTransaction {
public:
    // `complete` empties the table first; `progressText` is what the progress window says.
    LoadTransaction(BmLogic& model, bool complete, const char* progressText);
    // A load left without End (an exception, an early return) still ends.
    ~LoadTransaction();
    LoadTransaction(const LoadTransaction&) = delete;
    LoadTransaction& operator=(const LoadTransaction&) = delete;

    // False, with the reason, when the load could not begin (the MaxURL setting is no number);
    // nothing was changed then.
    bool Begun() const { return begun_; }
    const std::string& BeginError() const { return beginError_; }

    EntryBuilder& Builder() { return builder_; }

    // Ends the load: what came of it, with the bookmarks the builder added and its notices.
    ReadOutcome End(bool ok, std::string errorText = {});

private:
    BmLogic& model_;
    EntryBuilder builder_;
    bool begun_ = false;
    bool ended_ = false;
    std::string beginError_;
};

}  // namespace pernard
