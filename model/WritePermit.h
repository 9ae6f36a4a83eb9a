#pragma once
// Leave to write one target. Only the write gate (commands/WriteGate.h) makes one, once it has
// decided that the target may take the write and with which roots; every writer of a user's
// file takes one, so that nothing reaches a file the gate did not see.

#include <string>
#include <utility>
#include <vector>

namespace pernard {

class WriteGate;

class WritePermit {
public:
    const std::string& Target() const { return target_; }
    // The roots the target receives, in this order (none for a page).
    const std::vector<int>& Roots() const { return roots_; }
    // The target is the source the roots were read from: once written, they are saved.
    bool OverSource() const { return overSource_; }
    // What the target held before this write is in the history of earlier versions.
    bool EarlierVersionKept() const { return earlierVersionKept_; }

private:
    friend class WriteGate;
    WritePermit(std::string target, std::vector<int> roots, bool overSource)
        : target_(std::move(target)), roots_(std::move(roots)), overSource_(overSource) {}

    std::string target_;
    std::vector<int> roots_;
    bool overSource_ = false;
    bool earlierVersionKept_ = false;
};

}  // namespace pernard
