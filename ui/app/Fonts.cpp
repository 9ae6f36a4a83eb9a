#include "ui/app/Fonts.h"

#include <QStringList>

namespace pernard::ui {

void InstallFontSubstitutes() {
    const QStringList gothic = {"MS PGothic",       "Yu Gothic UI", "IPAPGothic",   "IPAGothic",
                                "Noto Sans CJK JP", "VL PGothic",   "TakaoPGothic", "Sans Serif"};
    const QStringList mincho = {"MS PMincho",        "Yu Mincho",  "IPAPMincho", "IPAMincho",
                                "Noto Serif CJK JP", "IPAPGothic", "IPAGothic",  "Serif"};
    QFont::insertSubstitutions(QString::fromUtf8(kPGothic), gothic);
    QFont::insertSubstitutions(QString::fromUtf8(kPMincho), mincho);
    QFont::insertSubstitutions(QString::fromUtf8(kMincho),
                               QStringList{"MS Mincho", "IPAMincho"} + mincho);
}

QFont DesignFont(const char* family, int pixels, bool bold) {
    QFont font(QString::fromUtf8(family));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

}  // namespace pernard::ui
