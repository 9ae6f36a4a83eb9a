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

EntryBuilder::Outcome EntryBuilder::AddRoot(const std::string& name, SourceKind kind,
                                            const std::string& sourcePath) {
    while (open_.size() > 1) CloseFolder();
    const BmLogic::Appended appended = model_.AppendRoot(name, kind, sourcePath);
    if (!appended.Added()) {
        // No new root: the separators waiting end the list of the root before.
        Finish();
        return appended.outcome;
    }
    // Separators after the last list of the root before go before this one.
    open_.clear();
    EntryExtras none;
    const Outcome outcome = Appended(appended, none);
    if (outcome == Outcome::Added) {
        if (roots_.empty()) {
            read_ = model_.NewReadNumber();
            firstRow_ = appended.index;
        }
        root_ = appended.index;
        roots_.push_back(root_);
        model_.SetRootRead(root_, read_);
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

void EntryBuilder::EndList(int folder) {
    if (pendingSeparators_ == 0) return;
    EntryExtras extras = ExtrasOf(folder);
    extras.separatorsAtEnd += pendingSeparators_;
    SetExtras(folder, extras);
    pendingSeparators_ = 0;
}

void EntryBuilder::CloseFolder() {
    if (open_.size() <= 1) return;
    EndList(open_.back());
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
    if (!open_.empty()) EndList(open_.back());
    open_.clear();
}

BmLogic::Appended EntryBuilder::AppendFolder(int parent, std::string_view name,
                                             std::string_view added, std::string_view saveUrl) {
    if (roots_.empty()) return {BmLogic::Outcome::OutOfOrder, -1};
    const BmLogic::Appended appended = model_.AppendFolder(parent, name, added, saveUrl);
    if (appended.Added()) SeparatorsBefore(appended.index);
    return appended;
}

BmLogic::Appended EntryBuilder::AppendBookmark(int parent, const EntryViews& fields) {
    if (roots_.empty()) return {BmLogic::Outcome::OutOfOrder, -1};
    const BmLogic::Appended appended = model_.AppendBookmark(parent, fields);
    if (appended.Added()) {
        ++urlCount_;
        SeparatorsBefore(appended.index);
    }
    return appended;
}

void EntryBuilder::SeparatorsBefore(int index) {
    if (pendingSeparators_ == 0) return;
    EntryExtras extras;
    extras.separatorsBefore = pendingSeparators_;
    pendingSeparators_ = 0;
    model_.SetExtras(index, PackExtras(extras));
}

void EntryBuilder::AddExtras(int index, EntryExtras extras) {
    if (firstRow_ < 0 || index < firstRow_ || index >= model_.glCT) return;
    if (!model_.ExtrasOf(index).empty()) {
        const EntryExtras held = ExtrasOf(index);
        extras.separatorsBefore += held.separatorsBefore;
        extras.separatorsAtEnd += held.separatorsAtEnd;
    }
    model_.SetExtras(index, PackExtras(extras));
}

void EntryBuilder::SetExtras(int index, const EntryExtras& extras) {
    if (firstRow_ < 0 || index < firstRow_ || index >= model_.glCT) return;
    model_.SetExtras(index, PackExtras(extras));
}

EntryExtras EntryBuilder::ExtrasOf(int index) const {
    return UnpackExtras(model_.ExtrasOf(index));
}

void EntryBuilder::SetCharset(const std::string& charset) {
    for (int root : roots_) model_.SetRootCharset(root, charset);
}

RootInfo* EntryBuilder::SourceInfo() { return model_.MutableRootInfo(root_); }

void EntryBuilder::MarkPartial() {
    if (root_ >= 0) model_.MarkRootPartial(root_);
}

void EntryBuilder::Log(const std::string& text) {
    model_.GetPorts().diagnostics->AppendReadingLog(text);
}

void EntryBuilder::Warn(const std::string& text) {
    model_.EchoMemo(text);
    model_.GetPorts().diagnostics->ReportReadWarning(text);
}

void EntryBuilder::ListLine(const std::string& text) {
    model_.GetPorts().diagnostics->AppendBookmarkList(text);
}

void EntryBuilder::FileComment(const std::string& text) {
    model_.GetPorts().diagnostics->SetFileComment(text);
}

void EntryBuilder::FileTitle(const std::string& text) {
    model_.GetPorts().diagnostics->SetFileTitle(text);
}

void EntryBuilder::Notice(const std::string& text) {
    for (const std::string& said : notices_) {
        if (said == text) return;
    }
    notices_.push_back(text);
}

void EntryBuilder::FileHeading(const std::string& text) {
    model_.GetPorts().diagnostics->SetFileHeading(text);
}

}  // namespace pernard
