#pragma once
// The windows name the Windows fonts of the design ("ＭＳ Ｐゴシック", ...). Elsewhere those
// names fall back to installed Japanese fonts.

#include <QFont>

namespace pernard::ui {

inline constexpr const char* kPGothic = "ＭＳ Ｐゴシック";
inline constexpr const char* kPMincho = "ＭＳ Ｐ明朝";
inline constexpr const char* kMincho = "ＭＳ 明朝";

// Registers the fallbacks; call once after the application object exists.
void InstallFontSubstitutes();

// The design font `family` at `pixels` pixels high.
QFont DesignFont(const char* family, int pixels, bool bold = false);

}  // namespace pernard::ui
