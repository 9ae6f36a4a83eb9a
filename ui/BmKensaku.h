#pragma once
// The bookmark search window.

#include "ui/PersistentWindow.h"

namespace pernard::ui {

class TFormKensaku : public PersistentWindow {
public:
    explicit TFormKensaku(QWidget* parent = nullptr)
        : PersistentWindow("TFormKensaku", "検索(ブックマーク)", "fmKensaku", parent) {}
};

}  // namespace pernard::ui
