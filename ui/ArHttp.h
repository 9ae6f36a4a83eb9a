#pragma once
// The link-check runner window; this edition never starts a check.

#include "ui/PersistentWindow.h"

namespace pernard::ui {

class TFormArHTTP : public PersistentWindow {
public:
    explicit TFormArHTTP(QWidget* parent = nullptr)
        : PersistentWindow("TFormArHTTP", "ArHTTP", "fmArHTTP", parent) {}
};

}  // namespace pernard::ui
