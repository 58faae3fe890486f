#pragma once
// The two-level configuration store. Machine settings are written by the
// installer and only read here; user settings are created and written by the
// program. Both are INI files named after the organisation and application:
//   machine: the first folder of $XDG_CONFIG_DIRS (default /etc/xdg) that holds
//            Velmora/Tarn QX Dealer Asia CPS.conf
//   user:    $XDG_CONFIG_HOME (default ~/.config)/Velmora/Tarn QX Dealer Asia CPS.conf
// Keys are paths below the product key with "/" between key names, for
// example "Language/German/GUIResource". None of the accessors throws: a
// failure reads as empty or as a false result.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace ConfigStore {

inline constexpr char kOrganisation[] = "Velmora";
inline constexpr char kApplication[] = "Tarn QX Dealer Asia CPS";
// Longest string value the reader takes; longer values are cut.
inline constexpr int kMaxStringLength = 1023;

enum class Level { Machine, User };

QString MachineFile(); // empty when no machine configuration exists
QString UserFile();

// Absent key or value: empty string. Strings longer than 1023 characters are cut.
QString ReadString(Level level, const QString &key);
std::optional<int> ReadInt(Level level, const QString &key);
// Multi-string values are lists of strings; nullopt when absent.
std::optional<QStringList> ReadMultiString(Level level, const QString &key);
bool Contains(Level level, const QString &key);

// User level only. False when the store cannot be written.
bool WriteString(const QString &key, const QString &value);
bool WriteInt(const QString &key, int value);
bool WriteMultiString(const QString &key, const QStringList &value);

// Creates the user store (its folder and file) when missing; false when it can
// be neither opened nor created.
bool EnsureUserStore();

} // namespace ConfigStore

// Accessors of the application's configuration.
QString GetInstallPath();
QString GetCurrentLanguage();
bool SetCurrentLanguage(const QString &name);
QString GetDefaultLanguage();
int GetShowContextHelp();          // -1 when absent
bool SetShowContextHelp(int flag); // writes 1 for any non-zero flag
int GetMachineShowContextHelp();   // -1 when absent
QString GetHelpFilePath();         // of the application's current language
QString GetGUIResourcePath();      // of the user's current language
bool CheckConfiguration();         // the start-up check; shows message 130 itself
