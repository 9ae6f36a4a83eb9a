#include "model/UndoHistory.h"

namespace pernard {

void UndoHistory::Push(UndoStep step) {
    // A new step ends the steps that could have been redone.
    while (steps_.size() > done_) {
        bytes_ -= steps_.back().bytes;
        release_(steps_.back());
        steps_.pop_back();
    }
    if (savedAt_ > done_) savedReachable_ = false;
    bytes_ += step.bytes;
    steps_.push_back(std::move(step));
    ++done_;
    ++pushes_;
    while (steps_.size() > kUndoStepLimit || (bytes_ > kUndoByteLimit && steps_.size() > 1)) {
        DropOldest();
    }
}

void UndoHistory::DropOldest() {
    bytes_ -= steps_.front().bytes;
    release_(steps_.front());
    steps_.pop_front();
    --done_;
    if (savedAt_ == 0) {
        savedReachable_ = false;
    } else {
        --savedAt_;
    }
}

void UndoHistory::Forget(bool atSavedState) {
    for (UndoStep& step : steps_) release_(step);
    steps_.clear();
    done_ = 0;
    bytes_ = 0;
    savedAt_ = 0;
    savedReachable_ = atSavedState;
}

}  // namespace pernard
