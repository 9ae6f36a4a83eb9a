#pragma once
// The program's own images, drawn at start-up so that they are sharp at any scale.

#include <QIcon>
#include <string_view>

namespace pernard::ui {

// The six images of the tree and the list: 0/1 top-level entry closed/open (yellow folder),
// 2 URL modified since the last visit (page on green), 3 URL (page on white), 4/5 folder
// closed/open (blue folder).
QIcon SmallImage(int index);

// The tree's icon for a node: its image, with its selected image for the selected state.
QIcon NodeIcon(int imageIndex, int selectedIndex);

// The sixteen tool bar images (see the tool bar table of the main window).
QIcon ToolImage(int index);

// The question mark of the program's questions.
QIcon QuestionImage();

// The program icon.
QIcon ProgramIcon();

// The icon an entry's source carried: the ICON attribute of its packed extras (model/
// EntryExtras.h) when it is a data: URI of an image. Each distinct icon is decoded once and
// kept; nothing is ever fetched. A null icon when there is none or it does not decode.
QIcon CarriedIcon(std::string_view packedExtras);

}  // namespace pernard::ui
