#pragma once
// The seam to libxml2: parsing text into a document, and XPath selection with
// the prefix "dfns" bound to the profile namespace.
//
// Parsing never touches the network and never substitutes entities. Neither
// setting documents nor profiles carry a document type declaration, so a
// document that has one is refused before its declarations are read; that
// closes external entities and entity blow-ups alike.

#include <QString>
#include <libxml/tree.h>
#include <memory>
#include <vector>

// The namespace of profiles and setting documents.
inline constexpr char kProfileNamespace[] = "http://www.velmora.com/TarnCPS/DataProfile";

struct XmlDocDeleter
{
    void operator()(xmlDoc *doc) const { xmlFreeDoc(doc); }
};
using XmlDocPtr = std::shared_ptr<xmlDoc>;

struct XmlParseError
{
    QString reason;
    int line = 0;
    int column = 0;
    QString sourceText; // the text of the offending line
};

namespace Xml {

// Parses a decoded text (any encoding declaration in it is overridden: the
// text is already Unicode). Returns null and fills the error on failure.
XmlDocPtr ParseText(const QString &text, XmlParseError *error = nullptr);

// Nodes selected by an XPath 1.0 expression, from the document root or from a
// context node. An expression the XPath engine rejects raises error 131.
std::vector<xmlNode *> Select(xmlDoc *doc, const QString &expression, xmlNode *context = nullptr);
// The first selected node or nullptr.
xmlNode *SelectSingle(xmlDoc *doc, const QString &expression, xmlNode *context = nullptr);

// The document as text, with its XML declaration (UTF-8).
QString ToText(xmlDoc *doc);

// An XPath string literal for a value taken from outside, quoted so that it
// cannot break the expression open.
QString Literal(const QString &value);
// Whether a name taken from outside may be put into an expression as an
// element or attribute name.
bool IsPlainName(const QString &name);

// The value of an attribute; empty when absent.
QString Attribute(const xmlNode *node, const char *name);
bool HasAttribute(const xmlNode *node, const char *name);
// The element's text content (its typed value as text).
QString Content(const xmlNode *node);
// The node's name as a DOM would report it: "#comment", "#text" or the local name.
QString NodeName(const xmlNode *node);

} // namespace Xml
