#include "ui/app/Fonts.h"

#include <QStringList>

namespace pernard::ui {

void InstallFontSubstitutes() {
    // Windows' own Japanese fonts first (a Windows without the design's fonts has its UI fonts),
    // then the free ones of Linux and of Wine's prefix.
    const QStringList gothic = {"MS PGothic", "Yu Gothic UI",     "Meiryo UI",  "MS UI Gothic",
                                "IPAPGothic", "IPAGothic",        "VL PGothic", "TakaoPGothic",
                                "Noto Sans CJK JP", "Sans Serif"};
    const QStringList mincho = {"MS PMincho", "Yu Mincho",        "IPAPMincho", "IPAMincho",
                                "Noto Serif CJK JP", "Yu Gothic UI", "Meiryo UI", "IPAPGothic",
                                "IPAGothic",  "Serif"};
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
