#include "sync/ChildOrder.h"

#include <algorithm>
#include <list>
#include <unordered_map>
#include <unordered_set>

namespace pernard::sync {

namespace {

// The entries of `order` that are in `keep`, in that order.
std::vector<Identity> Restricted(const std::vector<Identity>& order,
                                 const std::unordered_set<Identity>& keep) {
    std::vector<Identity> out;
    for (Identity x : order) {
        if (keep.count(x) != 0) out.push_back(x);
    }
    return out;
}

class Placer {
public:
    explicit Placer(const std::vector<Identity>& kept) {
        for (Identity x : kept) at_[x] = list_.insert(list_.end(), x);
    }

    // Places `x` right after its nearest placed predecessor in `sideOrder` (`position` is its
    // place there), else first; a local entry passes the server's new ones placed there.
    void Place(Identity x, const std::vector<Identity>& sideOrder, std::size_t position,
               bool fromServer) {
        auto where = list_.begin();
        for (std::size_t k = position; k-- > 0;) {
            const auto found = at_.find(sideOrder[k]);
            if (found != at_.end()) {
                where = std::next(found->second);
                break;
            }
        }
        if (!fromServer) {
            while (where != list_.end() && fromServer_.count(*where) != 0) ++where;
        }
        at_[x] = list_.insert(where, x);
        if (fromServer) fromServer_.insert(x);
    }

    bool Placed(Identity x) const { return at_.count(x) != 0; }
    std::vector<Identity> Order() const { return {list_.begin(), list_.end()}; }

private:
    std::list<Identity> list_;
    std::unordered_map<Identity, std::list<Identity>::iterator> at_;
    std::unordered_set<Identity> fromServer_;
};

}  // namespace

std::vector<Identity> OrderChildren(const ChildOrderInputs& sides, Identity folder,
                                    std::vector<Identity> children) {
    std::sort(children.begin(), children.end());
    const std::unordered_set<Identity> all(children.begin(), children.end());
    const std::vector<Identity> local = Restricted(sides.local->ChildrenOf(folder), all);
    const std::vector<Identity> remote = Restricted(sides.remote->ChildrenOf(folder), all);
    const std::vector<Identity> base = Restricted(sides.base->ChildrenOf(folder), all);
    // Kept by both: in the folder on every side.
    const std::unordered_set<Identity> inLocal(local.begin(), local.end());
    const std::unordered_set<Identity> inRemote(remote.begin(), remote.end());
    std::unordered_set<Identity> kept;
    for (Identity x : base) {
        if (inLocal.count(x) != 0 && inRemote.count(x) != 0) kept.insert(x);
    }
    const std::vector<Identity> keptBase = Restricted(base, kept);
    const std::vector<Identity> keptLocal = Restricted(local, kept);
    const std::vector<Identity> keptRemote = Restricted(remote, kept);
    Placer placer(keptLocal != keptBase || keptRemote == keptBase ? keptLocal : keptRemote);
    for (std::size_t k = 0; k < remote.size(); ++k) {
        if (!placer.Placed(remote[k])) placer.Place(remote[k], remote, k, true);
    }
    for (std::size_t k = 0; k < local.size(); ++k) {
        if (!placer.Placed(local[k])) placer.Place(local[k], local, k, false);
    }
    // Entries in the folder on neither side now (a folder kept back, a move undone): where the
    // base had them, else last.
    for (std::size_t k = 0; k < base.size(); ++k) {
        if (!placer.Placed(base[k])) placer.Place(base[k], base, k, false);
    }
    std::vector<Identity> order = placer.Order();
    for (Identity x : children) {
        if (!placer.Placed(x)) order.push_back(x);
    }
    return order;
}

}  // namespace pernard::sync
