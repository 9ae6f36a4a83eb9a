#pragma once
// The program's UTF-8 texts as Qt strings. A byte that did not decode when its file was read is
// kept in the text (util/CodePage.h) and shown as U+FFFD.

#include <QString>
#include <string>
#include <string_view>

#include "util/CodePage.h"

namespace pernard::ui {

inline QString Text(std::string_view text) {
    if (!HasKeptBytes(text))
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return QString::fromStdString(ShownText(text));
}

// A tool tip that shows `text` as it stands, its lines kept and a long one wrapped at the tip's
// width: as rich text (Qt wraps only that), escaped, so that a name such as "<b>Big</b>" is not
// drawn bold.
inline QString PlainToolTip(const QString& text) {
    if (text.isEmpty()) return text;
    return QStringLiteral("<qt style=\"white-space:pre-wrap\">") + text.toHtmlEscaped() +
           QStringLiteral("</qt>");
}

// A Qt string as the program's UTF-8 text.
inline std::string Bytes(const QString& text) { return text.toStdString(); }

}  // namespace pernard::ui
