#include "ui/tools/FiUrlList.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <ctime>

#include "commands/ReportCommands.h"
#include "ui/widgets/QtText.h"
#include "ui/app/Registry.h"

namespace pernard::ui {

TFormURLLIST::TFormURLLIST(const BmLogic& model, QWidget* parent)
    : PersistentWindow("TFormURLLIST", "URL リスト 保存", "fmURLList", parent, QSize(400, 190)),
      model_(model) {
    QVBoxLayout* layout = FrameWithCloseMenu(4);

    auto* grid = new QGridLayout;
    EditSaveDir = new QLineEdit(this);
    EditSaveDir->setObjectName("EditSaveDir");
    Button3 = new QPushButton("保存ﾌｧｲﾙ", this);
    Button3->setObjectName("Button3");
    EditTitle = new QLineEdit(this);
    EditTitle->setObjectName("EditTitle");
    EditColor = new QLineEdit("#000000", this);
    EditColor->setObjectName("EditColor");
    grid->addWidget(Button3, 0, 0);
    grid->addWidget(EditSaveDir, 0, 1);
    grid->addWidget(new QLabel("タイトル", this), 1, 0);
    grid->addWidget(EditTitle, 1, 1);
    grid->addWidget(new QLabel("カラー", this), 2, 0);
    grid->addWidget(EditColor, 2, 1);
    layout->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    Button2 = new QPushButton("実行(&R)", this);
    Button2->setObjectName("Button2");
    Button2->setDefault(true);
    Button1 = new QPushButton("ｷｬﾝｾﾙ", this);
    Button1->setObjectName("Button1");
    buttons->addStretch();
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    layout->addLayout(buttons);
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    layout->addWidget(StatusBar);

    EditSaveDir->setText(Registry::ReadText(kWindowSection, "fmURLList.SaveDir", QString()));
    EditTitle->setText(Registry::ReadText(kWindowSection, "fmURLList.Title", QString()));
    EditColor->setText(Registry::ReadText(kWindowSection, "fmURLList.Color", QString()));

    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button1, &QPushButton::clicked, this, &QWidget::close);
    // A name typed by hand is a name in the link directory again.
    connect(EditSaveDir, &QLineEdit::textEdited, this, [this] { chosenInDialog_ = false; });
}

void TFormURLLIST::Open() {
    const ListedFolder listed = links_.listed ? links_.listed() : ListedFolder{};
    if (model_.IsValidIndex(listed.folder)) {
        const std::size_t k = static_cast<std::size_t>(listed.folder);
        EditSaveDir->setText(Text(model_.glVisit[k]));
        EditTitle->setText(Text(model_.glName[k]));
        chosenInDialog_ = false;
    }
    ShowInFront(this);
}

void TFormURLLIST::Button3Click() {
    std::string chosen;
    if (links_.dialogs == nullptr ||
        !links_.dialogs->SaveBookmarkFile(Bytes(EditSaveDir->text()), chosen)) {
        return;
    }
    // The file chosen here is used as it is.
    EditSaveDir->setText(Text(chosen));
    chosenInDialog_ = true;
}

void TFormURLLIST::Button2Click() {
    if (EditSaveDir->text().isEmpty()) {
        links_.showMessage("保存ファイルを指定してください");
        return;
    }
    const std::string name = Bytes(EditSaveDir->text());
    std::string path = name;
    std::string errorText;
    if (!chosenInDialog_) {
        const QString directory = links_.linkDirectory ? links_.linkDirectory() : QString();
        if (directory.isEmpty()) {
            links_.showMessage("保存用ディレクトリを指定してください");
            return;
        }
        if (!ReportPathIn(Bytes(directory), name, path, errorText)) {
            StatusBar->showMessage("保存失敗  " + Text(errorText));
            return;
        }
    }
    if (!SaveUrlList(path, errorText)) StatusBar->showMessage("保存失敗  " + Text(errorText));
}

bool TFormURLLIST::SaveUrlList(const std::string& path, std::string& errorText) {
    const ListedFolder listed = links_.listed ? links_.listed() : ListedFolder{};
    UrlListPage page;
    page.title = Bytes(EditTitle->text());
    page.color = Bytes(EditColor->text());
    page.now = static_cast<long long>(std::time(nullptr));
    page.remarkOf = links_.remarkOf;
    int written = 0;
    if (!SaveUrlListReport(model_, listed.folder, listed.expanded, path, page, written,
                           errorText)) {
        return false;
    }
    const QString done = QString("保存完了 %1 件").arg(written);
    StatusBar->showMessage(done);
    if (links_.showResult) links_.showResult(done);
    return true;
}

void TFormURLLIST::closeEvent(QCloseEvent* event) {
    Registry::WriteText(kWindowSection, "fmURLList.SaveDir", EditSaveDir->text());
    Registry::WriteText(kWindowSection, "fmURLList.Title", EditTitle->text());
    Registry::WriteText(kWindowSection, "fmURLList.Color", EditColor->text());
    PersistentWindow::closeEvent(event);
}

}  // namespace pernard::ui
