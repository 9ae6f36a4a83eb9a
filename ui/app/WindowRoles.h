#pragma once
// The program's own top-level windows that are no dialogs (the tool windows, 設定, the memo
// and message windows) are windows to a screen reader too, not unnamed panes.

namespace pernard::ui {

// Installs the accessibility role of those windows on the running application (once).
void InstallWindowRoles();

}  // namespace pernard::ui
