#include "ui/app/Registry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

namespace pernard::ui {

namespace {

QSettings Store() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Tesvel", "Common");
}

QString Key(const char* section, const QString& name) {
    return QString::fromLatin1(section) + '/' + name;
}

}  // namespace

QString Registry::ReadText(const char* section, const QString& name, const QString& fallback) {
    return Store().value(Key(section, name), fallback).toString();
}

int Registry::ReadInteger(const char* section, const QString& name, int fallback) {
    bool ok = false;
    const int value = Store().value(Key(section, name)).toString().trimmed().toInt(&ok);
    return ok ? value : fallback;
}

int Registry::ReadInteger(const char* section, const QString& name, int fallback, int minimum,
                          int maximum) {
    const int value = ReadInteger(section, name, fallback);
    return value < minimum || value > maximum ? fallback : value;
}

bool Registry::ReadCheck(const char* section, const QString& name, bool fallback) {
    bool ok = false;
    const int value = Store().value(Key(section, name)).toString().trimmed().toInt(&ok);
    return ok ? value == 1 : fallback;
}

void Registry::WriteText(const char* section, const QString& name, const QString& value) {
    Store().setValue(Key(section, name), value);
}

void Registry::WriteInteger(const char* section, const QString& name, int value) {
    Store().setValue(Key(section, name), QString::number(value));
}

void Registry::WriteCheck(const char* section, const QString& name, bool on) {
    WriteInteger(section, name, on ? 1 : 7);
}

void Registry::Sync() { Store().sync(); }

void RestoreGeometry(QWidget* window, const QString& prefix, bool withSize,
                     const QWidget* centreOn) {
    // Whatever the stored values, the window comes back whole and on the screen.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    int width = window->width();
    int height = window->height();
    if (withSize) {
        width = Registry::ReadInteger(kWindowSection, prefix + ".Width", width, 120, area.width());
        height =
            Registry::ReadInteger(kWindowSection, prefix + ".Height", height, 80, area.height());
        window->resize(width, height);
    }
    // With no position stored, the window opens in the middle of the screen (or of its owner).
    const QRect around = centreOn != nullptr ? centreOn->geometry() : area;
    const QPoint centred = around.center() - QPoint(width / 2, height / 2);
    // Enough of the window stays on the screen to grab it: its top edge, and 100 pixels across.
    const int left = Registry::ReadInteger(kWindowSection, prefix + ".Left", centred.x());
    const int top = Registry::ReadInteger(kWindowSection, prefix + ".Top", centred.y());
    window->move(qBound(area.left() - width + 100, left, area.right() - 100),
                 qBound(area.top(), top, area.bottom() - 50));
}

void SaveGeometry(const QWidget* window, const QString& prefix, bool withSize) {
    Registry::WriteInteger(kWindowSection, prefix + ".Left", window->x());
    Registry::WriteInteger(kWindowSection, prefix + ".Top", window->y());
    if (withSize) {
        Registry::WriteInteger(kWindowSection, prefix + ".Width", window->width());
        Registry::WriteInteger(kWindowSection, prefix + ".Height", window->height());
    }
}

}  // namespace pernard::ui
