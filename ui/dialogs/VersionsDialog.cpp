#include "ui/dialogs/VersionsDialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QVBoxLayout>

#include "ui/widgets/QtText.h"

namespace pernard::ui {

namespace {

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(name);
    return button;
}

QString SizeText(std::uint64_t bytes) {
    if (bytes < 1024) return QString("%1 バイト").arg(bytes);
    if (bytes < 1024 * 1024) return QString("%1 KB").arg((bytes + 1023) / 1024);
    return QString("%1 MB").arg(QLocale::c().toString(static_cast<double>(bytes) / 1048576, 'f', 1));
}

}  // namespace

TFormVersions::TFormVersions(QWidget* parent) : QDialog(parent) {
    setObjectName("TFormVersions");
    setWindowTitle("以前の版");
    LabelTarget = new QLabel(this);
    LabelTarget->setObjectName("LabelTarget");
    LabelTarget->setTextFormat(Qt::PlainText);
    LabelTarget->setWordWrap(true);
    ListVersions = new QTreeWidget(this);
    ListVersions->setObjectName("ListVersions");
    ListVersions->setAccessibleName("以前の版の一覧");
    ListVersions->setRootIsDecorated(false);
    ListVersions->setUniformRowHeights(true);
    ListVersions->setHeaderLabels({"番号", "日時", "サイズ", "ブックマーク", "フォルダー", "今との違い"});
    ListVersions->header()->setStretchLastSection(true);
    LabelDifference = new QLabel(this);
    LabelDifference->setObjectName("LabelDifference");
    LabelDifference->setTextFormat(Qt::PlainText);
    BtDifferences = Button(this, "BtDifferences", "違いの一覧(&L)");
    BtDifferences->setCheckable(true);
    MemoDifferences = new QPlainTextEdit(this);
    MemoDifferences->setObjectName("MemoDifferences");
    MemoDifferences->setAccessibleName("今との違い");
    MemoDifferences->setReadOnly(true);
    MemoDifferences->setVisible(false);
    LabelSkipped = new QLabel(this);
    LabelSkipped->setObjectName("LabelSkipped");
    LabelSkipped->setTextFormat(Qt::PlainText);
    LabelSkipped->setWordWrap(true);
    BtOpen = Button(this, "BtOpen", "開く(&O)");
    BtRestore = Button(this, "BtRestore", "元に戻す(&R)");
    BtClose = Button(this, "BtClose", "閉じる");
    BtClose->setDefault(true);
    connect(BtOpen, &QPushButton::clicked, this, [this] { done(Open); });
    connect(BtRestore, &QPushButton::clicked, this, [this] { done(Restore); });
    connect(BtClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtDifferences, &QPushButton::toggled, MemoDifferences, &QWidget::setVisible);
    connect(ListVersions, &QTreeWidget::currentItemChanged, this,
            [this] { SelectionChanged(); });

    auto* differenceRow = new QHBoxLayout;
    differenceRow->addWidget(LabelDifference, 1);
    differenceRow->addWidget(BtDifferences);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtOpen);
    buttons->addWidget(BtRestore);
    buttons->addStretch();
    buttons->addWidget(BtClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelTarget);
    layout->addWidget(ListVersions, 2);
    layout->addLayout(differenceRow);
    layout->addWidget(MemoDifferences, 1);
    layout->addWidget(LabelSkipped);
    layout->addLayout(buttons);
    resize(720, 420);
}

void TFormVersions::Show(const std::string& target, std::vector<KeptVersion> versions,
                         const std::vector<std::string>& skipped, Differ differ) {
    versions_ = std::move(versions);
    differences_.assign(versions_.size(), std::nullopt);
    errors_.assign(versions_.size(), QString());
    differ_ = std::move(differ);
    LabelTarget->setText("保存先: " + Text(target));
    ListVersions->clear();
    for (const KeptVersion& version : versions_) {
        auto* item = new QTreeWidgetItem(ListVersions);
        item->setText(0, version.fromServer ? "サーバー " + QString::number(version.number)
                                            : QString::number(version.number));
        item->setText(1, Text(VersionTimeText(version.keptAt)));
        item->setText(2, SizeText(version.size));
        item->setText(3, QString::number(version.counts.bookmarks));
        item->setText(4, QString::number(version.counts.folders));
        for (int column : {0, 2, 3, 4}) item->setTextAlignment(column, Qt::AlignRight);
    }
    for (int column = 0; column < 5; ++column) ListVersions->resizeColumnToContents(column);
    const bool any = !versions_.empty();
    BtOpen->setEnabled(any);
    BtRestore->setEnabled(any);
    BtDifferences->setEnabled(any);
    LabelDifference->setText(any ? QString() : "以前の版はまだありません。上書きするたびに残ります。");
    QStringList skippedLines;
    for (const std::string& line : skipped) skippedLines << Text(line);
    LabelSkipped->setText(skippedLines.join("\n"));
    LabelSkipped->setVisible(!skipped.empty());
    if (any) ListVersions->setCurrentItem(ListVersions->topLevelItem(0));
}

const KeptVersion* TFormVersions::Selected() const {
    const int row = ListVersions->indexOfTopLevelItem(ListVersions->currentItem());
    return row >= 0 && row < static_cast<int>(versions_.size()) ? &versions_[row] : nullptr;
}

const VersionDifference* TFormVersions::DifferenceOf(int row) {
    const std::size_t k = static_cast<std::size_t>(row);
    if (!differences_[k] && errors_[k].isEmpty() && differ_) {
        std::string error;
        differences_[k] = differ_(versions_[k], error);
        if (!differences_[k]) errors_[k] = Text(error.empty() ? "比べられません" : error);
    }
    return differences_[k] ? &*differences_[k] : nullptr;
}

void TFormVersions::SelectionChanged() {
    const int row = ListVersions->indexOfTopLevelItem(ListVersions->currentItem());
    if (row < 0 || row >= static_cast<int>(versions_.size())) return;
    const VersionDifference* difference = DifferenceOf(row);
    QTreeWidgetItem* item = ListVersions->topLevelItem(row);
    if (difference == nullptr) {
        item->setText(5, errors_[static_cast<std::size_t>(row)]);
        LabelDifference->setText(errors_[static_cast<std::size_t>(row)]);
        MemoDifferences->clear();
        return;
    }
    const QString summary = Text(DifferenceSummary(*difference));
    item->setText(5, summary);
    LabelDifference->setText("今との違い: " + summary);
    QStringList lines;
    for (const std::string& line : difference->lines) lines << Text(line);
    MemoDifferences->setPlainText(lines.join("\n"));
}

}  // namespace pernard::ui
