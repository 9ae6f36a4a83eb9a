#pragma once
// A top-level window that restores its position and size when it is created and stores them
// whenever it is closed.

#include <QWidget>

namespace pernard::ui {

class PersistentWindow : public QWidget {
    Q_OBJECT
public:
    PersistentWindow(const QString& objectName, const QString& caption, const QString& prefix,
                     QWidget* parent = nullptr, QSize designSize = QSize(400, 300));

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QString prefix_;
};

}  // namespace pernard::ui
