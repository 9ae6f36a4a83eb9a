#include "model/EntryBuilder.h"

namespace pernard {

EntryBuilder::Outcome EntryBuilder::Appended(const BmLogic::Appended& appended,
                                             EntryExtras& extras) {
    if (!appended.Added()) return appended.outcome;
    extras.separatorsBefore += pendingSeparators_;
    pendingSeparators_ = 0;
    if (!extras.Empty()) model_.SetExtras(appended.index, PackExtras(extras));
    return Outcome::Added;
}

EntryBuilder::Outcome EntryBuilder::AddRoot(const std::string& name, const std::string& source,
                                            const std::string& sourcePath) {
    Finish();
    const BmLogic::Appended appended = model_.AppendRoot(name, source, sourcePath);
    EntryExtras none;
    const Outcome outcome = Appended(appended, none);
    if (outcome == Outcome::Added) {
        root_ = appended.index;
        open_.assign(1, root_);
    }
    return outcome;
}

EntryBuilder::Outcome EntryBuilder::OpenFolder(const std::string& name, const std::string& added,
                                               EntryExtras extras) {
    if (open_.empty()) return Outcome::OutOfOrder;
    const BmLogic::Appended appended = model_.AppendFolder(open_.back(), name, added, "");
    const Outcome outcome = Appended(appended, extras);
    if (outcome == Outcome::Added) open_.push_back(appended.index);
    return outcome;
}

void EntryBuilder::SeparatorsEnd(int folder) {
    if (pendingSeparators_ == 0) return;
    EntryExtras extras = UnpackExtras(model_.ExtrasOf(folder));
    extras.separatorsAtEnd += pendingSeparators_;
    model_.SetExtras(folder, PackExtras(extras));
    pendingSeparators_ = 0;
}

void EntryBuilder::CloseFolder() {
    if (open_.size() <= 1) return;
    SeparatorsEnd(open_.back());
    open_.pop_back();
}

EntryBuilder::Outcome EntryBuilder::AddBookmark(const EntryTexts& fields, EntryExtras extras) {
    if (open_.empty()) return Outcome::OutOfOrder;
    const Outcome outcome = Appended(model_.AppendBookmark(open_.back(), fields), extras);
    if (outcome == Outcome::Added) ++urlCount_;
    return outcome;
}

void EntryBuilder::Finish() {
    while (open_.size() > 1) CloseFolder();
    // The root's own list ends here.
    if (!open_.empty()) SeparatorsEnd(open_.back());
    open_.clear();
}

}  // namespace pernard
