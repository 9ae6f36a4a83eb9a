#include "ui/tools/BmVersion.h"

#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QUrl>

#include "ui/app/HelpPage.h"
#include "ui/app/Icons.h"

namespace pernard::ui {

QString TFormVersion::SupportAddress() {
    // The support section of the help page, wherever it was installed.
    return QUrl::fromLocalFile(HelpPagePath()).toString() + "#support";
}

// The project's address, as on its home page (https://pernard.org/).
QString TFormVersion::ContactAddress() { return "mailto:support@pernard.org"; }

QString TFormVersion::VersionCaption() {
    // "Ver 1.0": the major and minor parts of the program's one version.
    const QStringList parts = QString(PERNARD_VERSION).split('.');
    return "Ver " + parts.mid(0, 2).join('.');
}

TFormVersion::TFormVersion(std::function<void(const QString&)> openAddress, QWidget* parent)
    : QDialog(parent), openAddress_(std::move(openAddress)) {
    setObjectName("TFormVersion");
    setWindowTitle("ペルナード");
    auto* layout = new QGridLayout(this);
    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setPixmap(ProgramIcon().pixmap(32, 32));
    Label1 = new QLabel("Pernard", this);
    Label1->setObjectName("Label1");
    QFont title = Label1->font();
    title.setPixelSize(15);
    title.setBold(true);
    title.setItalic(true);
    Label1->setFont(title);
    Label3 = new QLabel(VersionCaption(), this);
    Label3->setObjectName("Label3");
    LabelSupport = new QLabel(this);
    LabelSupport->setObjectName("LabelSupport");
    LabelSupport->setTextFormat(Qt::RichText);
    LabelSupport->setText(
        QString("Support : <a href=\"%1\" style=\"color:blue\">%1</a>").arg(SupportAddress()));
    LabelSupport->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(LabelSupport, &QLabel::linkActivated, this, [this] { LabelSupportClick(); });
    Label7 = new QLabel(ContactAddress(), this);
    Label7->setObjectName("Label7");
    Label7->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Button1 = new QPushButton("OK", this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(Image1, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(Label1, 0, 1);
    layout->addWidget(Label3, 1, 1);
    layout->addWidget(LabelSupport, 2, 0, 1, 2);
    layout->addWidget(Label7, 3, 0, 1, 2);
    layout->addWidget(Button1, 4, 0, 1, 2, Qt::AlignCenter);
    // A fixed size: the design's, or what the font needs.
    setFixedSize(sizeHint().expandedTo(QSize(322, 196)));
}

void TFormVersion::showEvent(QShowEvent* event) {
    // Centred on the main window, as a version box is.
    if (QWidget* owner = parentWidget()) {
        const QRect frame = owner->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(event);
}

void TFormVersion::LabelSupportClick() {
    if (openAddress_) openAddress_(SupportAddress());
    accept();
}

}  // namespace pernard::ui
