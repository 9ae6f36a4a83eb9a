#include "ui/Registry.h"

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

void RestoreGeometry(QWidget* window, const QString& prefix, bool withSize) {
    const QRect current = window->geometry();
    const int left = Registry::ReadInteger(kWindowSection, prefix + ".Left", window->x());
    const int top = Registry::ReadInteger(kWindowSection, prefix + ".Top", window->y());
    window->move(left, top);
    if (withSize) {
        const int width = Registry::ReadInteger(kWindowSection, prefix + ".Width", current.width());
        const int height =
            Registry::ReadInteger(kWindowSection, prefix + ".Height", current.height());
        window->resize(qMax(width, 120), qMax(height, 80));
    }
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
