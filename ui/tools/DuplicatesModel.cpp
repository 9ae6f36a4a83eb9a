#include "ui/tools/DuplicatesModel.h"

#include <algorithm>
#include <map>

#include "model/Search.h"
#include "ui/widgets/QtText.h"
#include "util/Dates.h"

namespace pernard::ui {

namespace {

// Group rows carry no id; an entry row carries its group's row plus one.
constexpr quintptr kGroupRow = 0;

struct RuleCaption {
    const char* name;
    const char* caption;
};
const RuleCaption kLooseRuleCaptions[] = {
    {"fragment", "#以降"},   {"slash", "末尾の /"},
    {"index", "index.html"}, {"tracking", "トラッキング用パラメーター"},
    {"www", "www."},         {"scheme", "http と https"},
};

}  // namespace

QString MatchRuleCaption(const std::string& ruleText) {
    if (ruleText == "exact") return "完全一致";
    if (ruleText == "same") return "同じリソース";
    const std::string prefix = "loose:";
    if (ruleText.rfind(prefix, 0) != 0) return Text(ruleText);
    QStringList rules;
    for (const QString& name :
         Text(ruleText.substr(prefix.size())).split(',', Qt::SkipEmptyParts)) {
        QString caption = name;
        for (const RuleCaption& known : kLooseRuleCaptions) {
            if (name == known.name) caption = known.caption;
        }
        rules << caption;
    }
    return rules.isEmpty() ? QString("ゆるい一致") : "ゆるい一致（" + rules.join("、") + "）";
}

DuplicatesModel::DuplicatesModel(const BmLogic& model, QObject* parent)
    : QAbstractItemModel(parent), model_(model) {}

void DuplicatesModel::Regroup(const UrlMatch& match) {
    beginResetModel();
    match_ = match;
    groups_ = FindDuplicateGroups(model_, match);
    offsets_.assign(1, 0);
    offsets_.reserve(groups_.size() + 1);
    urls_.clear();
    for (const DuplicateGroup& group : groups_) {
        for (const NodeRef& entry : group.entries) {
            urls_.emplace_back(model_.glUrl[model_.IndexOf(entry)]);
        }
        offsets_.push_back(static_cast<int>(urls_.size()));
    }
    checked_.assign(urls_.size(), 0);
    MarkTiedDays(model_.glAdd, addedTied_);
    MarkTiedDays(model_.glLast, modifiedTied_);
    endResetModel();
}

template <typename Dates>
void DuplicatesModel::MarkTiedDays(const Dates& dates, std::vector<char>& tied) const {
    tied.assign(urls_.size(), 0);
    std::map<std::string, std::vector<std::size_t>> byDay;
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        byDay.clear();
        const std::vector<NodeRef>& entries = groups_[g].entries;
        for (std::size_t k = 0; k < entries.size(); ++k) {
            std::string day = ShownDateText(dates[model_.IndexOf(entries[k])]);
            if (!day.empty()) {
                byDay[std::move(day)].push_back(Flat(static_cast<int>(g), static_cast<int>(k)));
            }
        }
        for (const auto& [day, positions] : byDay) {
            if (positions.size() < 2) continue;
            for (std::size_t position : positions) tied[position] = 1;
        }
    }
}

QString DuplicatesModel::ShownDate(std::string_view seconds, bool tied) {
    return Text(tied ? ShownDateTimeText(seconds) : ShownDateText(seconds));
}

int DuplicatesModel::CheckedCount() const {
    int count = 0;
    for (char checked : checked_) count += checked;
    return count;
}

bool DuplicatesModel::IsChecked(int group, int position) const {
    return group >= 0 && group < static_cast<int>(groups_.size()) && position >= 0 &&
           position < GroupSize(group) && checked_[Flat(group, position)] != 0;
}

void DuplicatesModel::SetChecked(int group, int position, bool checked) {
    if (group < 0 || group >= static_cast<int>(groups_.size()) || position < 0 ||
        position >= GroupSize(group)) {
        return;
    }
    checked_[Flat(group, position)] = checked ? 1 : 0;
    const QModelIndex cell = index(position, kTitleColumn, index(group, 0));
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
}

void DuplicatesModel::CheckAllBut(const std::vector<NodeRef>& kept) {
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        const std::vector<NodeRef>& entries = groups_[g].entries;
        const bool keepsOne = g < kept.size() && kept[g].node != nullptr &&
                              std::find(entries.begin(), entries.end(), kept[g]) != entries.end();
        for (std::size_t k = 0; k < entries.size(); ++k) {
            checked_[Flat(static_cast<int>(g), static_cast<int>(k))] =
                keepsOne && entries[k] != kept[g] ? 1 : 0;
        }
    }
    // One signal for the whole tree, not one per row: the view repaints what it shows.
    emit checksChanged();
}

DuplicatesModel::Resolution DuplicatesModel::CheckedResolution() const {
    Resolution resolution;
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        const std::vector<NodeRef>& entries = groups_[g].entries;
        DuplicateGroup reduced;
        NodeRef kept;
        for (std::size_t k = 0; k < entries.size(); ++k) {
            if (checked_[Flat(static_cast<int>(g), static_cast<int>(k))] != 0) {
                reduced.entries.push_back(entries[k]);
            } else if (kept.node == nullptr) {
                kept = entries[k];
            }
        }
        if (reduced.entries.empty()) continue;
        if (kept.node == nullptr) {
            ++resolution.fullGroups;
            continue;
        }
        reduced.entries.insert(reduced.entries.begin(), kept);
        resolution.groups.push_back(std::move(reduced));
        resolution.kept.push_back(kept);
    }
    return resolution;
}

bool DuplicatesModel::StillCurrent() const {
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        const std::vector<NodeRef>& entries = groups_[g].entries;
        for (std::size_t k = 0; k < entries.size(); ++k) {
            const int entry = model_.IndexOf(entries[k]);
            if (entry < 0 ||
                model_.glUrl[entry] != urls_[Flat(static_cast<int>(g), static_cast<int>(k))]) {
                return false;
            }
        }
    }
    return true;
}

bool DuplicatesModel::PositionOf(const QModelIndex& index, int& group, int& position) {
    if (!index.isValid()) return false;
    if (index.internalId() == kGroupRow) {
        group = index.row();
        position = -1;
    } else {
        group = static_cast<int>(index.internalId() - 1);
        position = index.row();
    }
    return true;
}

QModelIndex DuplicatesModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= kColumnCount) return {};
    if (!parent.isValid()) {
        return row < static_cast<int>(groups_.size()) ? createIndex(row, column, kGroupRow)
                                                      : QModelIndex();
    }
    if (parent.internalId() != kGroupRow || row >= GroupSize(parent.row())) return {};
    return createIndex(row, column, static_cast<quintptr>(parent.row()) + 1);
}

QModelIndex DuplicatesModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == kGroupRow) return {};
    return createIndex(static_cast<int>(child.internalId() - 1), 0, kGroupRow);
}

int DuplicatesModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return static_cast<int>(groups_.size());
    if (parent.internalId() != kGroupRow || parent.column() != 0) return 0;
    return GroupSize(parent.row());
}

int DuplicatesModel::columnCount(const QModelIndex&) const { return kColumnCount; }

QVariant DuplicatesModel::EntryText(int group, int position, int column) const {
    const NodeRef& ref =
        groups_[static_cast<std::size_t>(group)].entries[static_cast<std::size_t>(position)];
    const int entry = model_.IndexOf(ref);
    // An entry gone since the grouping shows nothing until the next one.
    if (entry < 0) return column == kTitleColumn ? QVariant("（削除済み）") : QVariant();
    switch (column) {
        case kTitleColumn:
            return Text(model_.glName[entry]);
        case kUrlColumn:
            return Text(model_.glUrl[entry]);
        case kFolderColumn: {
            const int folder = model_.ParentOf(entry);
            const std::string above = FolderPathOf(model_, folder);
            const std::string name(model_.glName[folder]);
            return Text(above.empty() ? name : above + std::string(kFolderPathSeparator) + name);
        }
        case kAddedColumn:
            return ShownDate(model_.glAdd[entry], addedTied_[Flat(group, position)] != 0);
        case kModifiedColumn:
            return ShownDate(model_.glLast[entry], modifiedTied_[Flat(group, position)] != 0);
        case kRuleColumn:
            if (position == 0) return "（最初のエントリー）";
            return MatchRuleCaption(
                MatchRuleText(urls_[Flat(group, 0)], urls_[Flat(group, position)], match_));
        default:
            return {};
    }
}

QVariant DuplicatesModel::data(const QModelIndex& index, int role) const {
    int group = 0, position = 0;
    if (!PositionOf(index, group, position) || group >= static_cast<int>(groups_.size())) {
        return {};
    }
    if (position < 0) {
        if (role != Qt::DisplayRole) return {};
        if (index.column() == kTitleColumn) {
            return QString("グループ %1（%2 件）").arg(group + 1).arg(GroupSize(group));
        }
        if (index.column() == kUrlColumn) return Text(urls_[Flat(group, 0)]);
        return {};
    }
    if (position >= GroupSize(group)) return {};
    if (role == Qt::CheckStateRole && index.column() == kTitleColumn) {
        return checked_[Flat(group, position)] != 0 ? Qt::Checked : Qt::Unchecked;
    }
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        return EntryText(group, position, index.column());
    }
    return {};
}

bool DuplicatesModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    int group = 0, position = 0;
    if (role != Qt::CheckStateRole || !PositionOf(index, group, position) || position < 0) {
        return false;
    }
    SetChecked(group, position, value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags DuplicatesModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.internalId() != kGroupRow && index.column() == kTitleColumn) {
        flags |= Qt::ItemIsUserCheckable;
    }
    return flags;
}

QVariant DuplicatesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const kCaptions[kColumnCount] = {"タイトル", "URL",    "フォルダー",
                                                        "登録日",   "更新日", "一致の理由"};
    return section >= 0 && section < kColumnCount ? QVariant(kCaptions[section]) : QVariant();
}

}  // namespace pernard::ui
