#include "model/SchemaInfo.h"

#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

namespace {

constexpr char kXsdNamespace[] = "http://www.w3.org/2001/XMLSchema";

const xmlChar *X(const char *s)
{
    return reinterpret_cast<const xmlChar *>(s);
}

// Schema selections use their own prefixes: xs for XML Schema, ccps for the
// extension.
std::vector<xmlNode *> SelectXsd(xmlDoc *doc, const QString &expression, xmlNode *context = nullptr)
{
    std::vector<xmlNode *> nodes;
    if (!doc)
        return nodes;
    std::unique_ptr<xmlXPathContext, void (*)(xmlXPathContext *)> xpath(xmlXPathNewContext(doc),
                                                                          xmlXPathFreeContext);
    if (!xpath)
        return nodes;
    xmlXPathRegisterNs(xpath.get(), X("xs"), X(kXsdNamespace));
    xmlXPathRegisterNs(xpath.get(), X("ccps"), X(kSchemaExtensionNamespace));
    xpath->node = context ? context : xmlDocGetRootElement(doc);
    const QByteArray expr = expression.toUtf8();
    std::unique_ptr<xmlXPathObject, void (*)(xmlXPathObject *)> result(
        xmlXPathEvalExpression(X(expr.constData()), xpath.get()), xmlXPathFreeObject);
    if (result && result->type == XPATH_NODESET && result->nodesetval)
        for (int i = 0; i < result->nodesetval->nodeNr; ++i)
            nodes.push_back(result->nodesetval->nodeTab[i]);
    return nodes;
}

xmlNode *SelectXsdSingle(xmlDoc *doc, const QString &expression, xmlNode *context = nullptr)
{
    std::vector<xmlNode *> nodes = SelectXsd(doc, expression, context);
    return nodes.empty() ? nullptr : nodes.front();
}

// Names come from profile documents; only plain XML names go into expressions.
bool IsName(const QString &name)
{
    if (name.isEmpty())
        return false;
    for (QChar ch : name)
        if (!(ch.isLetterOrNumber() || ch == QLatin1Char('_') || ch == QLatin1Char('-') || ch == QLatin1Char('.')))
            return false;
    return !name[0].isDigit();
}

QString LocalName(const QString &qualified)
{
    return qualified.section(QLatin1Char(':'), -1);
}

// The prefix of a qualified type name names XML Schema's own types when it is
// bound to the XML Schema namespace where the name is used.
bool IsBuiltInType(xmlNode *where, const QString &qualified)
{
    const QString prefix = qualified.contains(QLatin1Char(':')) ? qualified.section(QLatin1Char(':'), 0, 0) : QString();
    const QByteArray p = prefix.toUtf8();
    xmlNs *ns = xmlSearchNs(where->doc, where, prefix.isEmpty() ? nullptr : X(p.constData()));
    return ns && ns->href && qstrcmp(reinterpret_cast<const char *>(ns->href), kXsdNamespace) == 0;
}

} // namespace

void CSchemaInfo::SetSchemaDocument(XmlDocPtr schema)
{
    m_schema = std::move(schema);
    m_hooks.clear();
    m_types.clear();
}

xmlNode *CSchemaInfo::ElementDeclaration(const QString &element)
{
    if (!IsName(element))
        return nullptr;
    xmlNode *declaration = SelectXsdSingle(m_schema.get(), QStringLiteral("//xs:element[@name='%1']").arg(element));
    return declaration;
}

xmlNode *CSchemaInfo::AttributeDeclaration(const QString &element, const QString &attribute)
{
    xmlNode *declaration = ElementDeclaration(element);
    if (!declaration || !IsName(attribute))
        return nullptr;
    // The element's complex type: inline, or named by the type attribute.
    xmlNode *type = SelectXsdSingle(m_schema.get(), QStringLiteral("xs:complexType"), declaration);
    const QString typeName = Xml::Attribute(declaration, "type");
    if (!type && !typeName.isEmpty() && IsName(LocalName(typeName)))
        type = SelectXsdSingle(m_schema.get(), QStringLiteral("/xs:schema/xs:complexType[@name='%1']").arg(LocalName(typeName)));
    if (!type)
        return nullptr;
    const QString find = QStringLiteral(".//xs:attribute[@name='%1']").arg(attribute);
    if (xmlNode *found = SelectXsdSingle(m_schema.get(), find, type))
        return found;
    // Attribute groups used by the type.
    for (xmlNode *ref : SelectXsd(m_schema.get(), QStringLiteral(".//xs:attributeGroup[@ref]"), type)) {
        const QString group = LocalName(Xml::Attribute(ref, "ref"));
        if (!IsName(group))
            continue;
        xmlNode *groupDeclaration =
            SelectXsdSingle(m_schema.get(), QStringLiteral("/xs:schema/xs:attributeGroup[@name='%1']").arg(group));
        if (groupDeclaration)
            if (xmlNode *found = SelectXsdSingle(m_schema.get(), find, groupDeclaration))
                return found;
    }
    return nullptr;
}

QString CSchemaInfo::ResolveBuiltInType(xmlNode *holder, int depth)
{
    // holder is an attribute declaration or a restriction: it names its type
    // (type or base), or holds an inline simple type.
    if (!holder || depth > 32)
        return QString();
    QString type = Xml::Attribute(holder, "type");
    if (type.isEmpty())
        type = Xml::Attribute(holder, "base");
    if (type.isEmpty()) {
        xmlNode *inner = SelectXsdSingle(m_schema.get(), QStringLiteral("xs:simpleType/xs:restriction"), holder);
        return ResolveBuiltInType(inner, depth + 1);
    }
    if (IsBuiltInType(holder, type))
        return LocalName(type);
    if (!IsName(LocalName(type)))
        return QString();
    xmlNode *restriction = SelectXsdSingle(
        m_schema.get(), QStringLiteral("/xs:schema/xs:simpleType[@name='%1']/xs:restriction").arg(LocalName(type)));
    return ResolveBuiltInType(restriction, depth + 1);
}

QHash<QString, QString> CSchemaInfo::ReadHooks(xmlNode *declaration)
{
    QHash<QString, QString> hooks;
    if (!declaration)
        return hooks;
    xmlNode *extension =
        SelectXsdSingle(m_schema.get(), QStringLiteral("xs:annotation//ccps:SchemaExtension"), declaration);
    if (!extension)
        return hooks;
    for (xmlAttr *attr = extension->properties; attr; attr = attr->next) {
        xmlChar *value = xmlNodeListGetString(extension->doc, attr->children, 1);
        hooks.insert(QString::fromUtf8(reinterpret_cast<const char *>(attr->name)),
                     QString::fromUtf8(reinterpret_cast<const char *>(value)).trimmed());
        xmlFree(value);
    }
    return hooks;
}

bool CSchemaInfo::GetHook(const QString &element, const QString &attribute, const QString &kind, QString &function)
{
    const QString key = attribute.isEmpty() ? element : element + QLatin1Char('@') + attribute;
    auto cached = m_hooks.find(key);
    if (cached == m_hooks.end()) {
        xmlNode *declaration = attribute.isEmpty() ? ElementDeclaration(element) : AttributeDeclaration(element, attribute);
        cached = m_hooks.insert(key, ReadHooks(declaration));
    }
    auto hook = cached->find(kind);
    if (hook == cached->end() || hook->isEmpty())
        return false;
    function = *hook;
    return true;
}

QString CSchemaInfo::AttributeBaseType(const QString &element, const QString &attribute)
{
    const QString key = element + QLatin1Char('@') + attribute;
    auto cached = m_types.constFind(key);
    if (cached != m_types.constEnd())
        return *cached;

    const QString result = ResolveBuiltInType(AttributeDeclaration(element, attribute), 0);
    m_types.insert(key, result);
    return result;
}
