#include "settings/XmlDocument.h"
#include "settings/TarnCPSException.h"

#include <QList>

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

namespace Xml {

namespace {

const xmlChar *X(const char *s)
{
    return reinterpret_cast<const xmlChar *>(s);
}

QString FromXml(const xmlChar *s)
{
    return s ? QString::fromUtf8(reinterpret_cast<const char *>(s)) : QString();
}

struct ParseState
{
    bool sawDoctype = false;
};

// Called as soon as the parser meets <!DOCTYPE ...>: stop before any
// declaration inside it is read.
void RefuseDoctype(void *userData, const xmlChar *, const xmlChar *, const xmlChar *)
{
    auto *ctxt = static_cast<xmlParserCtxt *>(userData);
    static_cast<ParseState *>(ctxt->_private)->sawDoctype = true;
    xmlStopParser(ctxt);
}

QString LineOf(const QByteArray &utf8, int line)
{
    if (line <= 0)
        return QString();
    const QList<QByteArray> lines = utf8.split('\n');
    if (line > lines.size())
        return QString();
    return QString::fromUtf8(lines[line - 1]).remove(QLatin1Char('\r'));
}

} // namespace

XmlDocPtr ParseText(const QString &text, XmlParseError *error)
{
    const QByteArray utf8 = text.toUtf8();
    if (utf8.isEmpty()) {
        // libxml2 makes no parser for zero bytes; an empty text is simply not a document.
        if (error)
            *error = XmlParseError{QStringLiteral("Document is empty"), 1, 1, QString()};
        return nullptr;
    }
    std::unique_ptr<xmlParserCtxt, void (*)(xmlParserCtxt *)> ctxt(
        xmlCreateMemoryParserCtxt(utf8.constData(), static_cast<int>(utf8.size())), xmlFreeParserCtxt);
    if (!ctxt) {
        if (error)
            error->reason = QStringLiteral("out of memory");
        return nullptr;
    }
    // The text is already Unicode: an encoding declaration inside it (profiles
    // say UTF-16) is ignored. Errors are reported through the result, not printed.
    xmlCtxtUseOptions(ctxt.get(), XML_PARSE_NONET | XML_PARSE_BIG_LINES | XML_PARSE_IGNORE_ENC | XML_PARSE_NOERROR
                                      | XML_PARSE_NOWARNING);
    ParseState state;
    ctxt->_private = &state;
    ctxt->sax->internalSubset = RefuseDoctype;
    xmlParseDocument(ctxt.get());
    XmlDocPtr doc(ctxt->myDoc, XmlDocDeleter());
    ctxt->myDoc = nullptr;

    if (state.sawDoctype || !ctxt->wellFormed || !doc) {
        if (error) {
            const xmlError &last = ctxt->lastError;
            if (state.sawDoctype) {
                error->reason = QStringLiteral("A document type declaration is not allowed.");
                error->line = xmlSAX2GetLineNumber(ctxt.get());
                error->column = xmlSAX2GetColumnNumber(ctxt.get());
            } else {
                error->reason = last.message ? FromXml(X(last.message)).trimmed() : QStringLiteral("not well-formed");
                error->line = last.line;
                error->column = last.int2;
            }
            error->sourceText = LineOf(utf8, error->line);
        }
        return nullptr;
    }
    return doc;
}

std::vector<xmlNode *> Select(xmlDoc *doc, const QString &expression, xmlNode *context)
{
    std::vector<xmlNode *> nodes;
    if (!doc)
        return nodes;
    std::unique_ptr<xmlXPathContext, void (*)(xmlXPathContext *)> xpath(xmlXPathNewContext(doc),
                                                                          xmlXPathFreeContext);
    if (!xpath)
        TARN_RAISE(131, QStringLiteral("creating an XPath context failed"), "Xml::Select");
    xmlXPathRegisterNs(xpath.get(), X("dfns"), X(kProfileNamespace));
    xpath->node = context ? context : xmlDocGetRootElement(doc);

    const QByteArray expr = expression.toUtf8();
    std::unique_ptr<xmlXPathObject, void (*)(xmlXPathObject *)> result(
        xmlXPathEvalExpression(X(expr.constData()), xpath.get()), xmlXPathFreeObject);
    if (!result)
        throw CTarnCPSException::FromComponent(131, QStringLiteral("XPath expression failed"), expression,
                                               QStringLiteral("libxml2"), "Xml::Select", __LINE__);
    if (result->type == XPATH_NODESET && result->nodesetval) {
        nodes.reserve(result->nodesetval->nodeNr);
        for (int i = 0; i < result->nodesetval->nodeNr; ++i)
            nodes.push_back(result->nodesetval->nodeTab[i]);
    }
    return nodes;
}

xmlNode *SelectSingle(xmlDoc *doc, const QString &expression, xmlNode *context)
{
    std::vector<xmlNode *> nodes = Select(doc, expression, context);
    return nodes.empty() ? nullptr : nodes.front();
}

QString ToText(xmlDoc *doc)
{
    if (!doc)
        return QString();
    xmlChar *buffer = nullptr;
    int size = 0;
    xmlDocDumpMemoryEnc(doc, &buffer, &size, "UTF-8");
    QString text = QString::fromUtf8(reinterpret_cast<const char *>(buffer), size);
    xmlFree(buffer);
    return text;
}

QString Literal(const QString &value)
{
    if (!value.contains(QLatin1Char('\'')))
        return QLatin1Char('\'') + value + QLatin1Char('\'');
    if (!value.contains(QLatin1Char('"')))
        return QLatin1Char('"') + value + QLatin1Char('"');
    QStringList parts;
    for (const QString &piece : value.split(QLatin1Char('\'')))
        parts << QLatin1Char('\'') + piece + QLatin1Char('\'');
    return QStringLiteral("concat(%1)").arg(parts.join(QStringLiteral(", \"'\", ")));
}

bool IsPlainName(const QString &name)
{
    if (name.isEmpty() || !(name[0].isLetter() || name[0] == QLatin1Char('_')))
        return false;
    for (QChar ch : name)
        if (!(ch.isLetterOrNumber() || ch == QLatin1Char('_') || ch == QLatin1Char('-') || ch == QLatin1Char('.')))
            return false;
    return true;
}

QString Attribute(const xmlNode *node, const char *name)
{
    if (!node || node->type != XML_ELEMENT_NODE)
        return QString();
    xmlChar *value = xmlGetNoNsProp(node, X(name));
    QString result = FromXml(value);
    xmlFree(value);
    return result;
}

bool HasAttribute(const xmlNode *node, const char *name)
{
    return node && node->type == XML_ELEMENT_NODE && xmlHasNsProp(node, X(name), nullptr) != nullptr;
}

QString Content(const xmlNode *node)
{
    if (!node)
        return QString();
    xmlChar *value = xmlNodeGetContent(node);
    QString result = FromXml(value);
    xmlFree(value);
    return result;
}

QString NodeName(const xmlNode *node)
{
    switch (node->type) {
    case XML_COMMENT_NODE:
        return QStringLiteral("#comment");
    case XML_TEXT_NODE:
        return QStringLiteral("#text");
    default:
        return FromXml(node->name);
    }
}

} // namespace Xml
