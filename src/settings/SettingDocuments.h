#pragma once
// The five setting documents of the installation's "lib" folder and the
// lookups on them. They are loaded once at start-up and stay unchanged until
// exit; every lookup is read-only.

#include "settings/XmlDocument.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

class CSettingDocuments
{
public:
    // Reads InstallPath/lib/<fileName> (or InstallPath/Report/<fileName> when
    // fromLib is false) with LoadTextFile and parses it. Shows message 315 and
    // returns null when the file cannot be read or parsed.
    static XmlDocPtr LoadSettingDoc(const QString &fileName, bool fromLib = true);

    // Loads the five documents in start-up order; stops at the first that fails.
    bool LoadAll();

    xmlDoc *VisibleSetting() const { return m_visibleSetting.get(); }
    xmlDoc *ButtonList() const { return m_buttonList.get(); }
    xmlDoc *Region() const { return m_region.get(); }
    xmlDoc *HelpPanMap() const { return m_helpPanMap.get(); }
    xmlDoc *UpDownGradeSetting() const { return m_upDownGrade.get(); }

    // The region whose elements the region-specific lookups select; the name
    // read from Region.stv at start-up.
    void SetRegionName(const QString &name) { m_regionName = name; }

    // Region.stv. A missing single element raises error 131.
    QString GetRegionName() const;
    QString GetProductVersion() const;
    QStringList GetSupportList() const;
    bool IsSupportedRegionCode(const QString &code) const;
    int GetCPVersion() const; // 1 when CPVersion is absent
    bool LoadModelRegions(QHash<int, QString> &regionCodes) const;
    QStringList GetSupportLanguages() const;
    QString GetLanguageDisplayName(const QString &language) const; // " " when none

    // VisibleSetting.stv: the control entries of a page for the region.
    std::vector<xmlNode *> GetVisibleSettingNodes(const QString &pageName) const;
    // HelpPanMap.stv: sets pageName when the form has a map for the control.
    void GetHelpPageName(const QString &formName, const QString &controlId, QString &pageName) const;

private:
    // Attribute `attribute` of every element child of the selected list element,
    // comments skipped.
    QStringList ListAttribute(const char *listElement, const char *attribute) const;
    xmlNode *RequireSingle(xmlDoc *doc, const QString &expression, const char *operation) const;

    XmlDocPtr m_visibleSetting;
    XmlDocPtr m_buttonList;
    XmlDocPtr m_region;
    XmlDocPtr m_helpPanMap;
    XmlDocPtr m_upDownGrade;
    QString m_regionName;
};
