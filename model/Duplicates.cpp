#include "model/Duplicates.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include "model/storage/UrlIndex.h"
#include "util/Numbers.h"

namespace pernard {

namespace {

// A bookmark's added date as seconds; false for none (empty, not a number, 0 or less).
bool AddedSeconds(const BmLogic& model, int index, long long& seconds) {
    return ParseWholeNumber(model.glAdd[index], seconds) && seconds > 0;
}

}  // namespace

std::vector<int> EarliestMatches(const BmLogic& model, const UrlMatch& match) {
    const int count = std::min(model.glCT, model.Tree().Count());
    std::vector<int> earliest(static_cast<std::size_t>(count), -1);
    // Each bookmark is filed under its key; the first one filed under a key is the earliest.
    UrlIndex index;
    index.Reserve(static_cast<std::size_t>(count));
    const bool exact = match.level == MatchLevel::Exact;
    std::string key;
    for (int i = 0; i < count; ++i) {
        if (model.IsFolder(i)) continue;
        const std::string_view url = model.glUrl[i];
        // A bookmark without a URL (a placeholder, a note, a shortcut whose URL could not be
        // read) is the same page as nothing else.
        if (IsNoUrl(url)) {
            earliest[static_cast<std::size_t>(i)] = i;
            continue;
        }
        if (exact) {
            earliest[static_cast<std::size_t>(i)] = index.FileUnder(i, url, true);
        } else {
            UrlMatchKeyInto(url, match, key);
            earliest[static_cast<std::size_t>(i)] = index.FileUnder(i, key);
        }
    }
    return earliest;
}

std::vector<DuplicateGroup> FindDuplicateGroups(const BmLogic& model, const UrlMatch& match) {
    const std::vector<int> earliest = EarliestMatches(model, match);
    // Per earliest row: its group's number, once the group has two entries.
    std::vector<int> members(earliest.size(), 0);
    for (int first : earliest) {
        if (first >= 0) ++members[static_cast<std::size_t>(first)];
    }
    std::vector<DuplicateGroup> groups;
    std::vector<int> groupOf(earliest.size(), -1);
    for (std::size_t i = 0; i < earliest.size(); ++i) {
        const int first = earliest[i];
        if (first < 0 || members[static_cast<std::size_t>(first)] < 2) continue;
        if (static_cast<std::size_t>(first) == i) {
            groupOf[i] = static_cast<int>(groups.size());
            groups.emplace_back();
        }
        DuplicateGroup& group = groups[static_cast<std::size_t>(groupOf[first])];
        group.entries.push_back(model.RefOf(static_cast<int>(i)));
    }
    return groups;
}

std::vector<DuplicateGroup> GroupsWithin(const BmLogic& model,
                                         const std::vector<DuplicateGroup>& groups, int root) {
    const int end = root + model.SubtreeWidth(root);
    std::vector<DuplicateGroup> within;
    for (const DuplicateGroup& group : groups) {
        DuplicateGroup inside;
        for (const NodeRef& entry : group.entries) {
            const int index = model.IndexOf(entry);
            if (index > root && index < end) inside.entries.push_back(entry);
        }
        if (inside.entries.size() >= 2) within.push_back(std::move(inside));
    }
    return within;
}

std::vector<NodeRef> KeptEntries(const BmLogic& model, const std::vector<DuplicateGroup>& groups,
                                 KeepRule rule) {
    std::vector<NodeRef> kept;
    kept.reserve(groups.size());
    for (const DuplicateGroup& group : groups) {
        NodeRef chosen = group.entries.empty() ? NodeRef{} : group.entries.front();
        long long chosenSeconds = 0;
        bool dated = false;
        for (const NodeRef& entry : group.entries) {
            const int index = model.IndexOf(entry);
            long long seconds = 0;
            if (rule == KeepRule::First || index < 0 || !AddedSeconds(model, index, seconds)) {
                continue;
            }
            const bool better =
                rule == KeepRule::Oldest ? seconds < chosenSeconds : seconds > chosenSeconds;
            if (!dated || better) {
                chosen = entry;
                chosenSeconds = seconds;
                dated = true;
            }
        }
        kept.push_back(chosen);
    }
    return kept;
}

CleanupOutcome ResolveDuplicates(BmLogic& model, const std::vector<DuplicateGroup>& groups,
                                 const std::vector<NodeRef>& kept,
                                 const DuplicateDisposal& disposal) {
    std::vector<NodeRef> others;
    for (std::size_t g = 0; g < groups.size() && g < kept.size(); ++g) {
        const std::vector<NodeRef>& entries = groups[g].entries;
        if (model.IndexOf(kept[g]) < 0 ||
            std::find(entries.begin(), entries.end(), kept[g]) == entries.end()) {
            continue;
        }
        for (const NodeRef& entry : entries) {
            if (entry != kept[g]) others.push_back(entry);
        }
    }
    if (disposal.intoFolder) {
        return model.MoveIntoRootFolders(others, disposal.folder, "重複の移動");
    }
    return model.DeleteEntries(others, "重複の削除");
}

int BmLogic::CheckDuplicateUrls(const UrlMatch& match) {
    DiagnosticsPort& log = *ports_.diagnostics;
    log.ClearCheckLog();
    const std::vector<int> earliest = EarliestMatches(*this, match);
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < earliest.size(); ++i) {
        const int first = earliest[i];
        if (first < 0 || static_cast<std::size_t>(first) == i) continue;
        std::string line = CheckLogLine(glUrl[first], glName[first]);
        // Beyond the exact level each line says why the two match, and which URL (written
        // otherwise than the earliest's) and entry matched it.
        if (match.level != MatchLevel::Exact) {
            const int later = static_cast<int>(i);
            line += '\t';
            line += MatchRuleText(glUrl[first], glUrl[later], match);
            line += '\t';
            line += glUrl[later];
            line += '\t';
            line += glName[later];
        }
        lines.push_back(std::move(line));
    }
    const int duplicates = static_cast<int>(lines.size());
    log.AppendCheckLogLines(lines);
    if (duplicates > 0) {
        char text[64];
        std::snprintf(text, sizeof text, "重複有り : %d 件", duplicates);
        log.SetCheckLogStatus(text);
        log.ShowCheckLog();
    } else {
        ports_.prompts->ShowMessage("重複ＵＲＬ無し");
    }
    return duplicates;
}

}  // namespace pernard
