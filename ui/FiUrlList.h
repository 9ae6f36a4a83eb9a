#pragma once
// The URL list report window.

#include "ui/PersistentWindow.h"

namespace pernard::ui {

class TFormURLLIST : public PersistentWindow {
public:
    explicit TFormURLLIST(QWidget* parent = nullptr)
        : PersistentWindow("TFormURLLIST", "URL リスト 保存", "fmURLList", parent) {}
};

}  // namespace pernard::ui
