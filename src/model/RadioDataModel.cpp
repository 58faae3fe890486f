#include "model/RadioDataModel.h"
#include "model/ProfileContext.h"
#include "model/ScriptNode.h"
#include "settings/AppContext.h"
#include "settings/ConfigStore.h"
#include "settings/MessageSink.h"
#include "settings/StringTable.h"
#include "settings/TarnCPSException.h"
#include "settings/TextFile.h"

#include <QRegularExpression>
#include <libxml/xmlschemas.h>

namespace {

const xmlChar *X(const char *s)
{
    return reinterpret_cast<const xmlChar *>(s);
}

struct SchemaDeleter
{
    void operator()(xmlSchema *schema) const { xmlSchemaFree(schema); }
};

// The first error the schema library reports, with the node it concerns.
struct FirstError
{
    bool seen = false;
    QString message;
    int line = 0;
    xmlNode *node = nullptr;
};

void RecordFirstError(void *userData, xmlErrorPtr error)
{
    auto *first = static_cast<FirstError *>(userData);
    if (first->seen || !error)
        return;
    first->seen = true;
    first->message = QString::fromUtf8(error->message ? error->message : "").trimmed();
    first->line = error->line;
    first->node = static_cast<xmlNode *>(error->node);
}

// libxml2 gives the line of a schema violation but no column when it
// validates a parsed document. The position is found in the line itself:
// the offending attribute when the message names one, else the element's
// start tag, else the first character that is not blank. 1-based.
int FindPosition(const QString &lineText, const FirstError &error)
{
    static const QRegularExpression attributeInMessage(QStringLiteral("attribute '([^']+)'"));
    const QRegularExpressionMatch match = attributeInMessage.match(error.message);
    if (match.hasMatch()) {
        const QRegularExpression attribute(QStringLiteral("(?<![\\w.:-])%1\\s*=").arg(QRegularExpression::escape(match.captured(1))));
        const qsizetype at = lineText.indexOf(attribute);
        if (at >= 0)
            return static_cast<int>(at) + 1;
    }
    if (error.node && error.node->type == XML_ELEMENT_NODE) {
        const QString name = QString::fromUtf8(reinterpret_cast<const char *>(error.node->name));
        const QRegularExpression tag(QStringLiteral("<(\\w+:)?%1(?![\\w.:-])").arg(QRegularExpression::escape(name)));
        const qsizetype at = lineText.indexOf(tag);
        if (at >= 0)
            return static_cast<int>(at) + 1;
    }
    for (qsizetype i = 0; i < lineText.size(); ++i)
        if (!lineText[i].isSpace())
            return static_cast<int>(i) + 1;
    return lineText.isEmpty() ? 0 : 1;
}

QString LineOf(const QString &text, int line)
{
    if (line <= 0)
        return QString();
    return text.section(QLatin1Char('\n'), line - 1, line - 1).remove(QLatin1Char('\r'));
}

// What message 223 names as the file: the path, or the start of a profile
// text given directly (a whole profile would drown the report).
QString SourceName(const QString &textOrPath, bool isPath)
{
    if (isPath || textOrPath.size() <= 80)
        return textOrPath;
    return textOrPath.left(80) + QStringLiteral("...");
}

[[noreturn]] void RaiseLoadingError(const QString &textOrPath, bool isPath, const QString &reason, int line, int position,
                                    const QString &source, int codeLine)
{
    // "Profile Loading Error.\r\nFile: %s\r\nDesc: %s\r\nLine: %d, Pos: %d\r\nSRC: %s"
    const QString detail = FormatText(EnglishString(223), {SourceName(textOrPath, isPath), reason, QString::number(line),
                                                           QString::number(position), source});
    throw CTarnCPSException(135, detail, "CRadioDataModel::LoadProfile", codeLine);
}

xmlNode *NewElement(xmlDoc *doc, xmlNode *parent, const QString &name)
{
    xmlNs *ns = xmlSearchNsByHref(doc, xmlDocGetRootElement(doc), X(kProfileNamespace));
    xmlNode *element = xmlNewDocNode(doc, ns, reinterpret_cast<const xmlChar *>(name.toUtf8().constData()), nullptr);
    xmlAddChild(parent, element);
    return element;
}

bool HasEntryNamed(xmlDoc *doc, xmlNode *parent, const QString &name)
{
    return Xml::SelectSingle(doc, QStringLiteral("dfns:*[@name=%1]").arg(Xml::Literal(name)), parent) != nullptr;
}

} // namespace

CRadioDataModel::CRadioDataModel()
    : m_context(std::make_shared<CProfileContext>())
{
}

CRadioDataModel::~CRadioDataModel() = default;

xmlDoc *CRadioDataModel::ProfileDocument() const
{
    return m_context->Document();
}

QString CRadioDataModel::ProfileText() const
{
    return Xml::ToText(m_context->Document());
}

QString CRadioDataModel::OperationText() const
{
    return Xml::ToText(m_operation.get());
}

bool CRadioDataModel::Initialize()
{
    if (!m_context->Script().Initialize())
        return false;
    m_initialized = true;
    m_auxiliary = Xml::ParseText(QStringLiteral("<root xmlns=\"%1\"/>").arg(QLatin1String(kProfileNamespace)));
    if (!m_auxiliary)
        TARN_RAISE(134, QStringLiteral("create MSXML2::DOMDocument40 failed"), "CRadioDataModel::Initialize");
    return true;
}

bool CRadioDataModel::LoadProfile(const QString &textOrPath, bool isPath)
{
    try {
        if (!m_initialized && !Initialize())
            return false;

        QString schemaText;
        const QString schemaPath = GetInstallPath() + QStringLiteral("/profiletemplate/DataProfile.xsd");
        if (!LoadTextFile(schemaPath, schemaText) || schemaText.isEmpty()) {
            ShowMessage(315); // "Some files needed by CPS are not available.\nPlease reinstall CPS."
            return false;
        }
        // The compiler only drops comments and blank text from the document
        // it reads, so the same document answers the declaration lookups.
        XmlParseError schemaError;
        XmlDocPtr schemaDocument = Xml::ParseText(schemaText, &schemaError);
        if (!schemaDocument)
            throw CTarnCPSException::FromComponent(136, schemaError.reason, QStringLiteral("line %1").arg(schemaError.line),
                                                   schemaPath, "CRadioDataModel::LoadProfile", __LINE__);
        FirstError compileError;
        std::unique_ptr<xmlSchemaParserCtxt, void (*)(xmlSchemaParserCtxt *)> parser(
            xmlSchemaNewDocParserCtxt(schemaDocument.get()), xmlSchemaFreeParserCtxt);
        if (!parser)
            TARN_RAISE(134, QStringLiteral("create Msxml2.XMLSchemaCache.4.0 failed"), "CRadioDataModel::LoadProfile");
        xmlSchemaSetParserStructuredErrors(parser.get(), RecordFirstError, &compileError);
        std::unique_ptr<xmlSchema, SchemaDeleter> schema(xmlSchemaParse(parser.get()));
        if (!schema)
            throw CTarnCPSException::FromComponent(136, compileError.message, QStringLiteral("line %1").arg(compileError.line),
                                                   schemaPath, "CRadioDataModel::LoadProfile", __LINE__);

        if (!InitialOperaDoc(textOrPath, isPath))
            RaiseLoadingError(textOrPath, isPath, QString(), 0, 0, QString(), __LINE__);
        ApplyAddedFields(isPath);

        // The profile as migrated is parsed again and validated.
        const QString text = Xml::ToText(m_operation.get());
        XmlParseError parseError;
        XmlDocPtr profile = Xml::ParseText(text, &parseError);
        if (!profile)
            RaiseLoadingError(textOrPath, isPath, parseError.reason, parseError.line, parseError.column,
                              parseError.sourceText, __LINE__);
        std::unique_ptr<xmlSchemaValidCtxt, void (*)(xmlSchemaValidCtxt *)> validator(xmlSchemaNewValidCtxt(schema.get()),
                                                                                      xmlSchemaFreeValidCtxt);
        if (!validator)
            TARN_RAISE(134, QStringLiteral("create Msxml2.XMLSchemaCache.4.0 failed"), "CRadioDataModel::LoadProfile");
        FirstError violation;
        xmlSchemaSetValidStructuredErrors(validator.get(), RecordFirstError, &violation);
        const int result = xmlSchemaValidateDoc(validator.get(), profile.get());
        if (result != 0) {
            const QString line = LineOf(text, violation.line);
            RaiseLoadingError(textOrPath, isPath, violation.seen ? violation.message : QStringLiteral("validation failed"),
                              violation.line, FindPosition(line, violation), line, __LINE__);
        }

        m_context->Schema().SetSchemaDocument(std::move(schemaDocument));
        m_context->SetDocument(std::move(profile));
        m_root = CDataItem(xmlDocGetRootElement(m_context->Document()), m_context);
        return true;
    } catch (CTarnCPSException &e) {
        e.AddCatchTrace("CRadioDataModel::LoadProfile", __LINE__);
        throw;
    }
}

bool CRadioDataModel::InitialOperaDoc(const QString &textOrPath, bool isPath)
{
    try {
        QString text = textOrPath;
        if (isPath && !LoadTextFile(textOrPath, text))
            return false;
        XmlParseError error;
        XmlDocPtr operation = Xml::ParseText(text, &error);
        if (!operation)
            TARN_RAISE(135, QStringLiteral("File='%1'\nDesc: %2").arg(SourceName(textOrPath, isPath), error.reason),
                       "CRadioDataModel::InitialOperaDoc"); // "Invalid profile."
        m_operation = std::move(operation);

        xmlNode *factory = Xml::SelectSingle(m_operation.get(), QStringLiteral("//dfns:factory_setting"));
        if (!factory)
            throw CTarnCPSException::FromComponent(136, QStringLiteral("no element matches"),
                                                   QStringLiteral("//dfns:factory_setting"), QStringLiteral("libxml2"),
                                                   "CRadioDataModel::InitialOperaDoc", __LINE__);
        m_codeplugVersion = Xml::Attribute(factory, "codeplug_version").trimmed().toInt();
        BuildAddedFieldList(m_codeplugVersion);
        return true;
    } catch (CTarnCPSException &e) {
        e.AddCatchTrace("CRadioDataModel::InitialOperaDoc", __LINE__);
        throw;
    }
}

void CRadioDataModel::BuildAddedFieldList(int version)
{
    xmlDoc *rules = CAppContext::Instance().Settings().UpDownGradeSetting();
    const QString region = CAppContext::Instance().RegionName();
    xmlDoc *aux = m_auxiliary.get();
    xmlNode *auxRoot = xmlDocGetRootElement(aux);
    m_addedFields.clear();
    if (!rules || !Xml::IsPlainName(region))
        return;

    // keepNode: the fields a profile of this version has; the region's own
    // entries come before the common ones of the same name.
    xmlNode *keep = NewElement(aux, auxRoot, QStringLiteral("keepNode"));
    const QString base = QStringLiteral("//dfns:CodePlugSetting/dfns:CPVer%1/").arg(version);
    for (xmlNode *entry : Xml::Select(rules, base + QStringLiteral("dfns:%1/dfns:*[@isExist='1']").arg(region)))
        xmlAddChild(keep, xmlDocCopyNode(entry, aux, 2));
    for (xmlNode *entry : Xml::Select(rules, base + QStringLiteral("dfns:RegionCommon/dfns:*[@isExist='1']")))
        if (!HasEntryNamed(aux, keep, Xml::Attribute(entry, "name")))
            xmlAddChild(keep, xmlDocCopyNode(entry, aux, 2));

    // Every field some version has and this one lacks, the newest version
    // first; the first version element only tells what version 1 lacks.
    xmlNode *added = NewElement(aux, auxRoot, QStringLiteral("addField_G%1").arg(version));
    const std::vector<xmlNode *> versions = Xml::Select(rules, QStringLiteral("//dfns:CodePlugSetting/dfns:*"));
    for (int i = static_cast<int>(versions.size()) - 1; i >= 1; --i) {
        const QString exist = version == i + 1 ? QStringLiteral("0") : QStringLiteral("1");
        for (const QString &group : {region, QStringLiteral("RegionCommon")}) {
            const QString select = QStringLiteral("dfns:%1/dfns:*[@isExist='%2']").arg(group, exist);
            for (xmlNode *entry : Xml::Select(rules, select, versions[static_cast<size_t>(i)])) {
                const QString name = Xml::Attribute(entry, "name");
                if (!HasEntryNamed(aux, added, name) && !HasEntryNamed(aux, keep, name))
                    xmlAddChild(added, xmlDocCopyNode(entry, aux, 2));
            }
        }
    }
    m_addedFields = ElementChildren(added);
}

void CRadioDataModel::ApplyAddedFields(bool isPath)
{
    xmlDoc *doc = m_operation.get();
    for (xmlNode *entry : m_addedFields) {
        const QString kind = Xml::NodeName(entry);
        if (kind == QLatin1String("CPField")) {
            const QString target = Xml::Attribute(entry, "nodename");
            if (!Xml::IsPlainName(target))
                continue;
            const QString name = Xml::Attribute(entry, "name");
            const QString replaceBy = Xml::Attribute(entry, "replaceby");
            const QByteArray attribute = name.toUtf8();
            if (xmlValidateName(X(attribute.constData()), 0) != 0)
                continue;
            for (xmlNode *element : Xml::Select(doc, QStringLiteral("//dfns:%1").arg(target))) {
                QString value = Xml::Attribute(entry, "defaulvalue");
                if (!replaceBy.isEmpty()) {
                    const QString older = Xml::Attribute(element, replaceBy.toUtf8().constData());
                    if (!older.isEmpty())
                        value = older;
                }
                xmlSetProp(element, X(attribute.constData()), X(value.toUtf8().constData()));
            }
        } else if (kind == QLatin1String("CPTag") && isPath) {
            const QString parent = Xml::Attribute(entry, "parentNode");
            const QString name = Xml::Attribute(entry, "name");
            if (!Xml::IsPlainName(parent) || !Xml::IsPlainName(name))
                continue;
            for (xmlNode *element : Xml::Select(doc, QStringLiteral("//dfns:%1").arg(parent)))
                NewElement(doc, element, name);
        }
    }
}

void CRadioDataModel::TakeOffDoc()
{
    try {
        XmlParseError error;
        XmlDocPtr operation = Xml::ParseText(ProfileText(), &error);
        if (!operation)
            throw CTarnCPSException::FromComponent(533, error.reason, QStringLiteral("line %1").arg(error.line),
                                                   QStringLiteral("libxml2"), "CRadioDataModel::TakeOffDoc", __LINE__);
        m_operation = std::move(operation);
        xmlDoc *doc = m_operation.get();
        for (xmlNode *entry : m_addedFields) {
            const QString kind = Xml::NodeName(entry);
            const QString name = Xml::Attribute(entry, "name");
            if (kind == QLatin1String("CPField")) {
                const QString target = Xml::Attribute(entry, "nodename");
                if (!Xml::IsPlainName(target))
                    continue;
                for (xmlNode *element : Xml::Select(doc, QStringLiteral("//dfns:%1").arg(target)))
                    xmlUnsetProp(element, X(name.toUtf8().constData()));
            } else if (kind == QLatin1String("CPTag")) {
                const QString parent = Xml::Attribute(entry, "parentNode");
                if (!Xml::IsPlainName(parent))
                    continue;
                for (xmlNode *element : Xml::Select(doc, QStringLiteral("//dfns:%1").arg(parent))) {
                    for (xmlNode *child = element->children; child;) {
                        xmlNode *next = child->next;
                        if (child->type == XML_ELEMENT_NODE && Xml::NodeName(child) == name) {
                            xmlUnlinkNode(child);
                            xmlFreeNode(child);
                        }
                        child = next;
                    }
                }
            }
        }
    } catch (CTarnCPSException &e) {
        e.AddCatchTrace("CRadioDataModel::TakeOffDoc", __LINE__);
        throw;
    }
}
