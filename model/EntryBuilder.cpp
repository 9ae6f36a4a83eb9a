#include "model/EntryBuilder.h"

namespace pernard {

EntryBuilder::Outcome EntryBuilder::Append(bool top, bool isUrl, const std::string& name,
                                           EntryExtras& extras, const std::string& sourcePath) {
    extras.separatorsBefore += pendingSeparators_;
    pendingSeparators_ = 0;
    if (!model_.AddEntry(top, isUrl, name, sourcePath)) return Outcome::Full;
    ++model_.glCT;
    if (!extras.Empty()) model_.SetExtras(model_.glCT - 1, PackExtras(extras));
    return Outcome::Added;
}

EntryBuilder::Outcome EntryBuilder::AddRoot(const std::string& name, const std::string& source,
                                            const std::string& sourcePath) {
    Finish();
    model_.glDepth = 0;
    model_.glSource = source;
    if (!model_.PrepareSlot()) return Outcome::Full;
    const std::size_t slot = static_cast<std::size_t>(model_.glCT);
    model_.glUrl[slot] = kFolderMarker;
    model_.glName[slot] = name;
    EntryExtras none;
    const Outcome outcome = Append(true, false, name, none, sourcePath);
    if (outcome != Outcome::Added) return outcome;
    root_ = model_.glCT - 1;
    open_.assign(1, root_);
    return Outcome::Added;
}

EntryBuilder::Outcome EntryBuilder::OpenFolder(const std::string& name, const std::string& added,
                                               EntryExtras extras) {
    if (open_.empty()) return Outcome::Full;
    // The table counts the depth from 1 for the root.
    model_.glDepth = static_cast<int>(open_.size());
    model_.glLevel[static_cast<std::size_t>(model_.glDepth)] = open_.back();
    if (model_.glDepth >= kDepthLimit) return Outcome::TooDeep;
    if (!model_.PrepareSlot()) return Outcome::Full;
    const std::size_t slot = static_cast<std::size_t>(model_.glCT);
    model_.glUrl[slot] = kFolderMarker;
    model_.glName[slot] = name;
    model_.glAdd[slot] = added;
    const Outcome outcome = Append(false, false, name, extras, "");
    if (outcome == Outcome::Added) open_.push_back(model_.glCT - 1);
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

EntryBuilder::Outcome EntryBuilder::AddBookmark(const UrlFields& fields, EntryExtras extras) {
    if (open_.empty()) return Outcome::Full;
    model_.glDepth = static_cast<int>(open_.size());
    model_.glLevel[static_cast<std::size_t>(model_.glDepth)] = open_.back();
    if (!model_.PrepareSlot()) return Outcome::Full;
    const std::size_t slot = static_cast<std::size_t>(model_.glCT);
    model_.glUrl[slot] = fields.url;
    model_.glName[slot] = fields.name;
    model_.glAdd[slot] = fields.added;
    model_.glVisit[slot] = fields.visited;
    model_.glLast[slot] = fields.modified;
    const Outcome outcome = Append(false, true, fields.name, extras, "");
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
