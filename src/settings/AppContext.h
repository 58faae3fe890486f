#pragma once
// What the application object holds for the life of the program and hands
// to every part: the setting documents, the region name and region-code map,
// the current language and its decimal separator, the selected template.

#include "settings/SettingDocuments.h"

#include <QHash>
#include <QString>

class CAppContext
{
public:
    static CAppContext &Instance();

    CSettingDocuments &Settings() { return m_settings; }
    const QString &RegionName() const { return m_regionName; }
    void SetRegionName(const QString &name)
    {
        m_regionName = name;
        m_settings.SetRegionName(name);
    }
    QHash<int, QString> &RegionCodes() { return m_regionCodes; }
    const QString &CurrentLanguage() const { return m_currentLanguage; }
    void SetCurrentLanguage(const QString &language) { m_currentLanguage = language; }
    const QString &DecimalSeparator() const { return m_decimalSeparator; }
    void SetDecimalSeparator(const QString &separator) { m_decimalSeparator = separator; }
    const QString &SelectedTemplatePath() const { return m_selectedTemplatePath; }
    void SetSelectedTemplatePath(const QString &path) { m_selectedTemplatePath = path; }

    // Back to the constructed state (a fresh start in tests and benchmarks).
    void Reset() { *this = CAppContext(); }

private:
    CSettingDocuments m_settings;
    QString m_regionName;
    QHash<int, QString> m_regionCodes;
    QString m_currentLanguage;
    QString m_decimalSeparator = QStringLiteral(".");
    QString m_selectedTemplatePath;
};

// The locale whose decimal separator goes with an internal language name;
// the user's default locale for a name that has none.
QString DecimalSeparatorForLanguage(const QString &language);
