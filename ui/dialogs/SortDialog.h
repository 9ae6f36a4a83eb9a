#pragma once
// The sort dialog (並べ替え): which key, which direction, where folders go, and whether the
// folders below are sorted too.

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "model/Sorting.h"

namespace pernard::ui {

class TFormSort : public QDialog {
    Q_OBJECT
public:
    explicit TFormSort(QWidget* parent = nullptr);

    // Names the folder to be sorted in the dialog.
    void ShowFolder(const QString& name);
    // What the controls ask for.
    SortOptions Options() const;

    QLabel* LabelFolder;
    QComboBox* ComboKey;  // 名前, URL, 登録日, 訪問日
    QRadioButton *RadioAscending, *RadioDescending;
    QRadioButton *RadioMixed, *RadioFoldersFirst;
    QRadioButton *RadioThisFolder, *RadioEveryFolder;
    QPushButton *ButtonOk, *ButtonCancel;
};

}  // namespace pernard::ui
