#pragma once
// The string table: every message, caption and menu text by numeric id.
// English is built in; another language comes from a translation file whose
// messages are keyed by the English text with the id as disambiguation.

#include <QString>
#include <cstddef>

struct StringEntry
{
    int id;
    const char16_t *text;
};

extern const StringEntry kEnglishStrings[];
extern const std::size_t kEnglishStringCount;

// The application name: caption of every message box.
inline const QString kAppName = QStringLiteral("ZR4400 & ZR4480 Distributor CPS");

// Text of an id in the current language; the English text when the loaded
// language lacks it; an empty string for an unknown id.
QString LoadString(int id);
QString EnglishString(int id);

// Makes the translation file the source of every text from now on. False when
// the file cannot be loaded; the built-in English stays in force then.
bool LoadLanguageResource(const QString &path);
void UnloadLanguageResource();
bool IsLanguageResourceLoaded();

// Fills the printf-style placeholders (%s, %d, %u, %x, %c) of a string-table
// text in order with the given values; "%%" stays a percent sign.
QString FormatText(const QString &format, const QStringList &values);
