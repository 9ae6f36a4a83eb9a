#pragma once
// The bookmark search window: finds the entries whose title (or URL) contains any of the
// keyword's words and takes the main window to the one clicked.

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeView>
#include <functional>

#include "model/BmLogic.h"
#include "ui/widgets/PersistentWindow.h"
#include "ui/tools/SearchResultModel.h"

namespace pernard::ui {

class TFormKensaku : public PersistentWindow {
    Q_OBJECT
public:
    // `showHit` takes the main window to an entry; `showMessage` shows a message box.
    TFormKensaku(const BmLogic& model, std::function<void(const NodeRef&)> showHit,
                 std::function<void(const QString&)> showMessage, QWidget* parent = nullptr);

    // 対象: 0 見出し (titles), 1 ＵＲＬ.
    int TaishouIndex() const { return taishou_->checkedId(); }
    void SetTaishouIndex(int index);

    void Button1Click();  // 実行
    void ClearClick();    // 消去
    void ListKekkaClick(const QModelIndex& line);
    // After a change of the collection: hits whose entries are gone leave the list.
    void DropGoneHits();

    QGroupBox* RadioTaishou;
    QCheckBox* CheckFold;   // 全角/半角・大小文字を区別しない
    QCheckBox* CheckNotes;  // 説明とタグも検索する
    QLineEdit* EditKeyword;
    QPushButton* Button1;
    QTreeView* ListKekka;
    SearchResultModel* Results;
    QStatusBar* StatusBar;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // "結果 : N 件" for the lines listed.
    void ShowCount();

    const BmLogic& model_;
    std::function<void(const NodeRef&)> showHit_;
    std::function<void(const QString&)> showMessage_;
    QButtonGroup* taishou_;
};

}  // namespace pernard::ui
