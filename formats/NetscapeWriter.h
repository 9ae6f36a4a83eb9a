#pragma once
// Writes one root of the entry table as a Netscape bookmark file, and the save commands for
// bookmark files.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/BmLogic.h"

namespace pernard {

using BytesSink = std::function<void(std::string_view)>;

// Hands the bytes of the bookmark file for root `root` to `sink`, a block at a time. What a
// browser wrote that the table has no column for goes back on its entry. Returns how many
// entries held what a bookmark file cannot (the other lines of a shortcut file): left out.
int WriteBookmarkText(const BmLogic& model, int root, const BytesSink& sink);
// The same for several roots in one file, one TITLE section each, in the order given.
int WriteBookmarkText(const BmLogic& model, const std::vector<int>& roots, const BytesSink& sink);

// The bytes of the bookmark file for root `root`, in the encoding it was read in (CP932 when
// unknown) or in UTF-8 when the settings say so, with a charset line.
std::string BookmarkFileText(const BmLogic& model, int root);

// True when writing root `root` as a bookmark file would write U+FFFD in place of bytes that
// did not decode when it was read (its file's encoding is not the one it is written in).
bool WouldReplaceKeptBytes(const BmLogic& model, int root);

// Writes root `root` to `fileName` through a temporary file. On success panel 1 shows
// "保存完了 " + file name; on any failure the old file stays as it was and the message
// "Cannot Save File : " + file name is shown. A file that is a browser's own store is refused.
bool WriteBookmarkFile(BmLogic& model, const std::string& fileName, int root);
bool WriteBookmarkFile(BmLogic& model, const std::string& fileName, const std::vector<int>& roots);

// The root that holds the selection: the only root, or the nearest root at or above glIndex.
void GetRootFolderName(const BmLogic& model, int& root, int& rootCount, std::string& rootName);

// GetRootFolderName, with "フォルダーを選択してください" when there is no such root.
bool CheckRootNode(BmLogic& model, int& root);

// Overwrite save of a root read from a bookmark file.
bool ConfirmAndWriteBookmark(BmLogic& model, const std::string& rootName, int root);

// Overwrite save of the root of the selection, whatever its source kind.
bool SaveBM(BmLogic& model);
// Overwrite save of root `root`. The collection counts as saved once no root has changes left.
bool SaveRoot(BmLogic& model, int root);

// The save-as command for bookmark files.
bool SaveBookmarkAs(BmLogic& model);
// Saves root `root` to a bookmark file the user chooses. A browser's own store is never a
// target: a root read from one is saved this way by the overwrite save.
bool SaveRootAsBookmarkFile(BmLogic& model, int root);

}  // namespace pernard
