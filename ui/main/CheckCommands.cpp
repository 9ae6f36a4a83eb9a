// The main window's link-check commands: ﾁｪｯｸ of the list's URLs, the engine window, the
// update-order output (the URL list report of the selected folder, expanded) and チェック＆データ
// 出力, which writes it once the bodies are in. The runs themselves are LinkChecking's.

#include "ui/main/BoardMain.h"
#include "ui/tools/FormHttp.h"
#include "ui/main/LinkChecking.h"
#include "ui/widgets/PersistentWindow.h"

namespace pernard::ui {

void TFormMain::UpdateStopButton() { BtStop->setEnabled(ClipPending() || checks_->Running()); }

void TFormMain::BtHTTPClick() { StartCheck(0); }

void TFormMain::H1Click() {
    if (links_.engine != nullptr) ShowInFront(links_.engine);
}

void TFormMain::PrepareUpdateOrder() {
    BtTenkai->setChecked(true);
    pane_->Refresh();
    checks_->SetOutputPending(true);
}

void TFormMain::K1Click() {
    PrepareUpdateOrder();
    checks_->WriteUpdateOrder();
}

void TFormMain::O3Click() {
    PrepareUpdateOrder();
    StartCheck(1);
    // The output is written once the bodies are in.
    checks_->WriteWhenDone();
}

void TFormMain::StartCheck(int target) {
    // The URLs the list shows.
    std::vector<NodeRef> entries;
    for (int row = 0; row < ListItems->rowCount(); ++row) {
        const int entry = ListItems->EntryIndex(row);
        if (entry >= 0 && !model_.IsFolder(entry)) entries.push_back(model_.RefOf(entry));
    }
    checks_->Start(target, entries, true);
}

}  // namespace pernard::ui
