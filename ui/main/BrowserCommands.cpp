// The main window's commands for browsers' own stores: ファイル › ブックマークの読込 and 追加読込 ›
// "Chrome / Edge など" and "Firefox" offer the stores found on this computer, or any file. A
// store's root is saved back to it (Chromium's) or to a bookmark file (commands/SaveCommands.h).

#include "formats/BrowserStores.h"
#include "ui/main/BoardMain.h"

namespace pernard::ui {

namespace {

constexpr const char* kOtherFile = "その他のファイルを選ぶ...";

}  // namespace

void TFormMain::ChromiumOpenClick() { ReadBrowserStore(false, true); }
void TFormMain::ChromiumAddClick() { ReadBrowserStore(false, false); }
void TFormMain::FirefoxOpenClick() { ReadBrowserStore(true, true); }
void TFormMain::FirefoxAddClick() { ReadBrowserStore(true, false); }

void TFormMain::ReadBrowserStore(bool firefox, bool complete) {
    const Ports& ports = model_.GetPorts();
    std::vector<BrowserStore> stores;
    std::vector<std::string> items;
    for (const BrowserStore& store : FindBrowserStores(StoreLocations::FromEnvironment())) {
        if (store.IsFirefox() != firefox) continue;
        stores.push_back(store);
        items.push_back(StoreLabel(store));
    }
    items.push_back(kOtherFile);
    std::string caption = firefox ? "Firefox のブックマーク" : "Chrome / Edge などのブックマーク";
    if (stores.empty()) caption += "（このコンピューターには見つかりませんでした）";
    const int picked = ports.dialogs->ChooseFromList(caption, items);
    if (picked < 0) return;
    std::string chosen;
    if (picked < static_cast<int>(stores.size())) {
        chosen = stores[static_cast<std::size_t>(picked)].path;
    } else if (!ports.dialogs->OpenStoreFile("", chosen)) {
        return;
    }
    if (complete && !SettleUnsavedChanges()) return;
    // The start-up bookmark file stays the user's own: a store is opened from here.
    LoadReporting(complete, chosen, std::nullopt,
                  complete ? kCompleteLoadWords : kAdditionalLoadWords);
}

}  // namespace pernard::ui
