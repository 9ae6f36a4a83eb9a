#include "formats/chromium/ChromiumLeftOut.h"

#include <algorithm>

#include "formats/BrowserStores.h"
#include "formats/chromium/ChromiumRoots.h"
#include "util/HtmlText.h"
#include "util/Text.h"

namespace pernard {

namespace {

// The attributes a node of the store gives back: the nickname, a folder's change date, the
// bar's mark.
bool KeptByStore(std::string_view name) {
    return EqualsNoCase(name, "SHORTCUTURL") || EqualsNoCase(name, "LAST_MODIFIED") ||
           EqualsNoCase(name, "PERSONAL_TOOLBAR_FOLDER");
}

void AddKind(std::string& text, const char* kind, int count) {
    if (count == 0) return;
    if (!text.empty()) text += "、";
    text += std::string(kind) + " " + std::to_string(count) + " 件";
}

}  // namespace

void StoreLeftOut::Add(const EntryExtras& extras) {
    bool tag = false;
    bool icon = false;
    bool other = false;
    if (!extras.attributes.empty()) {
        const std::string tagText = extras.attributes + ">";
        TagAttributes parsed;
        ParseTagAttributes(tagText, 0, parsed);
        for (const TagAttribute& attribute : parsed.items) {
            if (EqualsNoCase(attribute.name, "TAGS")) {
                tag = true;
            } else if (EqualsNoCase(attribute.name, "ICON") ||
                       EqualsNoCase(attribute.name, "ICON_URI")) {
                icon = true;
            } else if (!KeptByStore(attribute.name)) {
                other = true;
            }
        }
    }
    const bool separator = extras.separatorsBefore > 0 || extras.separatorsAtEnd > 0;
    const bool heading = extras.hasHeading || !extras.headingAttributes.empty();
    tags += tag;
    icons += icon;
    otherAttributes += other;
    separators += separator;
    headings += heading;
    shortcutLines += extras.hasShortcut;
    entries += tag || icon || other || separator || heading || extras.hasShortcut;
}

std::string StoreLeftOut::Listed() const {
    std::string text;
    AddKind(text, "タグ", tags);
    AddKind(text, "アイコン", icons);
    AddKind(text, "区切り線", separators);
    AddKind(text, "見出し", headings);
    AddKind(text, "ショートカットの他の行", shortcutLines);
    AddKind(text, "その他の属性", otherAttributes);
    AddKind(text, "ブラウザーが名前を決めるフォルダーの新しい名前", ownFolderNames);
    return text;
}

StoreLeftOut StoreLeftOutOf(const BmLogic& model, int root) {
    StoreLeftOut leftOut;
    if (!model.IsValidIndex(root)) return leftOut;
    const int count = std::min(model.glCT, model.Tree().Count());
    const bool edge = ChromiumBrowserOf(std::string(model.SourcePath(root))) == "edge";
    for (int i = root + 1; i < count && model.gloya[i] != -1; ++i) {
        if (model.ExtrasOf(i).empty()) continue;
        const EntryExtras extras = UnpackExtras(model.ExtrasOf(i));
        const int entries = leftOut.entries;
        leftOut.Add(extras);
        const char* shown = model.gloya[i] == root && model.IsFolder(i)
                                ? ShownTopFolderName(extras.storeKey, edge)
                                : nullptr;
        if (shown != nullptr && model.glName[i] != std::string_view(shown)) {
            ++leftOut.ownFolderNames;
            if (leftOut.entries == entries) ++leftOut.entries;
        }
    }
    return leftOut;
}

std::string StoreLeftOutQuestion(const StoreLeftOut& leftOut) {
    return "ブラウザーのブックマークファイルには保存できない情報があります。保存すると、次の情報"
           "は失われます : " +
           leftOut.Listed() + "（" + std::to_string(leftOut.entries) +
           " 件のエントリー）。保存しますか？";
}

std::string StoreLeftOutMessage(const StoreLeftOut& leftOut) {
    return "ブラウザーのブックマークファイルに保存できない情報を省きました : " + leftOut.Listed();
}

}  // namespace pernard
