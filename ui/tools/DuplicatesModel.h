#pragma once
// The groups of the duplicate clean-up window as a tree: a row per group, under it a row per
// entry with its folder, dates and the rule that made it match the group's first entry, and a
// check box on each entry. Rows are made when the view asks for them, so that a collection of a
// million bookmarks is listed as soon as the model has grouped it.

#include <QAbstractItemModel>
#include <string>
#include <vector>

#include "model/Duplicates.h"

namespace pernard::ui {

class DuplicatesModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column {
        kTitleColumn,
        kUrlColumn,
        kFolderColumn,
        kAddedColumn,
        kModifiedColumn,
        kRuleColumn,
        kColumnCount
    };

    explicit DuplicatesModel(const BmLogic& model, QObject* parent = nullptr);

    // Groups the collection anew at `match`; nothing is checked.
    void Regroup(const UrlMatch& match);
    const std::vector<DuplicateGroup>& Groups() const { return groups_; }
    int EntryCount() const { return static_cast<int>(checked_.size()); }
    int CheckedCount() const;

    bool IsChecked(int group, int position) const;
    void SetChecked(int group, int position, bool checked);
    // Checks every entry of group g but kept[g]; a group whose kept entry is none (or not one
    // of its entries) is left with nothing checked.
    void CheckAllBut(const std::vector<NodeRef>& kept);

    // What the checked entries make for ResolveDuplicates: per group with a checked entry, the
    // group reduced to its first unchecked entry (the one that stays) and its checked ones, so
    // that exactly the checked entries leave. `fullGroups` counts the groups checked
    // throughout, which are left out: nothing would stay of them.
    struct Resolution {
        std::vector<DuplicateGroup> groups;
        std::vector<NodeRef> kept;
        int fullGroups = 0;
    };
    Resolution CheckedResolution() const;
    // Whether every listed entry still exists and still holds the URL it was grouped with.
    bool StillCurrent() const;

    // The model position of a view index: its group, and its entry (-1 for the group's row).
    static bool PositionOf(const QModelIndex& index, int& group, int& position);

signals:
    // Many check boxes changed at once.
    void checksChanged();

public:
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::size_t Flat(int group, int position) const {
        return static_cast<std::size_t>(offsets_[static_cast<std::size_t>(group)] + position);
    }
    int GroupSize(int group) const {
        const std::size_t g = static_cast<std::size_t>(group);
        return offsets_[g + 1] - offsets_[g];
    }
    QVariant EntryText(int group, int position, int column) const;
    // Marks in `tied` (by flat position) the entries whose day in `dates` another entry of
    // their group shares.
    template <typename Dates>
    void MarkTiedDays(const Dates& dates, std::vector<char>& tied) const;
    // A date as the window shows it: its day, with the time where the day is tied.
    static QString ShownDate(std::string_view seconds, bool tied);

    const BmLogic& model_;
    UrlMatch match_;
    std::vector<DuplicateGroup> groups_;
    std::vector<int> offsets_{0};    // the first flat position of each group, and the end
    std::vector<std::string> urls_;  // by flat position: the URL each entry was grouped with
    std::vector<char> checked_;      // by flat position
    // By flat position: another entry of the group was added (modified) the same day.
    std::vector<char> addedTied_, modifiedTied_;
};

// The rule that made two URLs match, as the window names it ("同じリソース",
// "ゆるい一致（末尾の /、www.）", ...).
QString MatchRuleCaption(const std::string& ruleText);

}  // namespace pernard::ui
