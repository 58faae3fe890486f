#include "settings/SettingDocuments.h"
#include "settings/ConfigStore.h"
#include "settings/MessageSink.h"
#include "settings/TarnCPSException.h"
#include "settings/TextFile.h"

namespace {

// The leading decimal digits as a number, 0 when there are none.
int LeadingInteger(const QString &text)
{
    const QString trimmed = text.trimmed();
    qsizetype end = 0;
    if (end < trimmed.size() && (trimmed[end] == QLatin1Char('-') || trimmed[end] == QLatin1Char('+')))
        ++end;
    while (end < trimmed.size() && trimmed[end].isDigit())
        ++end;
    return trimmed.left(end).toInt();
}

} // namespace

XmlDocPtr CSettingDocuments::LoadSettingDoc(const QString &fileName, bool fromLib)
{
    const QString path = QStringLiteral("%1/%2/%3")
                             .arg(GetInstallPath(), fromLib ? QStringLiteral("lib") : QStringLiteral("Report"), fileName);
    try {
        QString text;
        if (!LoadTextFile(path, text)) {
            ShowMessage(315); // "Some files needed by CPS are not available.\nPlease reinstall CPS."
            return nullptr;
        }
        XmlParseError error;
        XmlDocPtr doc = Xml::ParseText(text, &error);
        if (!doc) {
            ShowMessage(315);
            return nullptr;
        }
        return doc;
    } catch (CTarnCPSException &e) {
        e.AddCatchTrace("CSettingDocuments::LoadSettingDoc", __LINE__);
        throw;
    }
}

bool CSettingDocuments::LoadAll()
{
    struct Slot
    {
        const char *file;
        XmlDocPtr *doc;
    };
    const Slot documents[] = {
        {"VisibleSetting.stv", &m_visibleSetting}, {"ButtonList.stv", &m_buttonList},
        {"Region.stv", &m_region},                 {"HelpPanMap.stv", &m_helpPanMap},
        {"UpDownGradeSetting.stv", &m_upDownGrade},
    };
    for (const Slot &slot : documents) {
        *slot.doc = LoadSettingDoc(QString::fromLatin1(slot.file));
        if (!*slot.doc)
            return false;
    }
    return true;
}

xmlNode *CSettingDocuments::RequireSingle(xmlDoc *doc, const QString &expression, const char *operation) const
{
    xmlNode *node = Xml::SelectSingle(doc, expression);
    if (!node)
        throw CTarnCPSException::FromComponent(131, QStringLiteral("no element matches"), expression,
                                               QStringLiteral("libxml2"), operation, __LINE__);
    return node;
}

QString CSettingDocuments::GetRegionName() const
{
    return Xml::Attribute(RequireSingle(Region(), QStringLiteral("//dfns:Region"), "CSettingDocuments::GetRegionName"),
                          "name");
}

QString CSettingDocuments::GetProductVersion() const
{
    return Xml::Attribute(
        RequireSingle(Region(), QStringLiteral("//dfns:ProductVersion"), "CSettingDocuments::GetProductVersion"),
        "value");
}

QStringList CSettingDocuments::ListAttribute(const char *listElement, const char *attribute) const
{
    QStringList values;
    for (xmlNode *node : Xml::Select(Region(), QStringLiteral("//dfns:%1/dfns:*").arg(QLatin1String(listElement)))) {
        if (Xml::NodeName(node) == QLatin1String("#comment"))
            continue;
        values << Xml::Attribute(node, attribute);
    }
    return values;
}

QStringList CSettingDocuments::GetSupportList() const
{
    return ListAttribute("Support", "num");
}

bool CSettingDocuments::IsSupportedRegionCode(const QString &code) const
{
    return GetSupportList().contains(code, Qt::CaseSensitive);
}

int CSettingDocuments::GetCPVersion() const
{
    xmlNode *node = Xml::SelectSingle(Region(), QStringLiteral("//dfns:CPVersion"));
    if (!node)
        return 1;
    return LeadingInteger(Xml::Content(node));
}

bool CSettingDocuments::LoadModelRegions(QHash<int, QString> &regionCodes) const
{
    if (!Region())
        return false;
    for (xmlNode *node : Xml::Select(Region(), QStringLiteral("//dfns:ModelRegions/dfns:*"))) {
        if (Xml::NodeName(node) == QLatin1String("#comment"))
            continue;
        regionCodes.insert(LeadingInteger(Xml::Attribute(node, "code")), Xml::Attribute(node, "name"));
    }
    return true;
}

QStringList CSettingDocuments::GetSupportLanguages() const
{
    return ListAttribute("SupportLanguages", "name");
}

QString CSettingDocuments::GetLanguageDisplayName(const QString &language) const
{
    xmlNode *node = Xml::SelectSingle(
        Region(), QStringLiteral("//dfns:SupportLanguages/dfns:language[@name=%1]").arg(Xml::Literal(language)));
    const QString name = Xml::Attribute(node, "displayName");
    return name.isEmpty() ? QStringLiteral(" ") : name;
}

std::vector<xmlNode *> CSettingDocuments::GetVisibleSettingNodes(const QString &pageName) const
{
    if (!Xml::IsPlainName(m_regionName) || !Xml::IsPlainName(pageName))
        return {};
    return Xml::Select(VisibleSetting(), QStringLiteral("//dfns:%1/dfns:%2/dfns:*").arg(m_regionName, pageName));
}

void CSettingDocuments::GetHelpPageName(const QString &formName, const QString &controlId, QString &pageName) const
{
    if (!Xml::IsPlainName(formName))
        return;
    xmlNode *node = Xml::SelectSingle(
        HelpPanMap(), QStringLiteral("//dfns:%1/dfns:map[@id=%2]").arg(formName, Xml::Literal(controlId)));
    if (node)
        pageName = Xml::Attribute(node, "pageName");
}
