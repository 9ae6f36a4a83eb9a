#pragma once
// The per-user settings store: QSettings("Tesvel", "Common") with the groups "Window" and
// "Setting". Every value is stored as a string: integers as decimal text, check boxes as 1 (on)
// and 7 (off).

#include <QString>

class QWidget;

namespace pernard::ui {

inline constexpr const char* kWindowSection = "Window";
inline constexpr const char* kSettingSection = "Setting";

class Registry {
public:
    static QString ReadText(const char* section, const QString& name, const QString& fallback);
    // The stored integer, or `fallback` when absent or not an integer.
    static int ReadInteger(const char* section, const QString& name, int fallback);
    // As ReadInteger; a value outside [minimum, maximum] counts as missing.
    static int ReadInteger(const char* section, const QString& name, int fallback, int minimum,
                           int maximum);
    // On exactly when the stored integer is 1; `fallback` when absent or not an integer.
    static bool ReadCheck(const char* section, const QString& name, bool fallback);
    static void WriteText(const char* section, const QString& name, const QString& value);
    static void WriteInteger(const char* section, const QString& name, int value);
    static void WriteCheck(const char* section, const QString& name, bool on);
    static void Sync();
};

// Restores a window's position (and size, when `withSize`) from "<prefix>.Left" and so on,
// kept on the screen; with nothing stored, the window keeps its design size and is centred on
// `centreOn` (nullptr: the screen).
void RestoreGeometry(QWidget* window, const QString& prefix, bool withSize,
                     const QWidget* centreOn = nullptr);
void SaveGeometry(const QWidget* window, const QString& prefix, bool withSize);

}  // namespace pernard::ui
