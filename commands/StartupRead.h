#pragma once
// The read at start-up: the bookmark file or the Favorites directory named in the settings;
// with no directory named, the user's own Favorites folder where the system keeps one
// (Windows).

#include "model/BmLogic.h"

namespace pernard {

// Empties the table and reads the start-up source as a complete load. False when the source
// does not exist (nothing is read then). Panel 0 shows "読込完了 :%d 件" whatever the reader
// returned; the consistency check runs with "初期ＲＥＡＤ".
bool StartupRead(BmLogic& model, int& urlCount);

}  // namespace pernard
