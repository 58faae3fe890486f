#include "model/ScriptNode.h"
#include "model/ProfileContext.h"

#include <QJSEngine>
#include <cmath>

namespace {

const xmlChar *X(const QByteArray &s)
{
    return reinterpret_cast<const xmlChar *>(s.constData());
}

} // namespace

std::vector<xmlNode *> ElementChildren(const xmlNode *node)
{
    std::vector<xmlNode *> children;
    if (!node)
        return children;
    for (xmlNode *child = node->children; child; child = child->next)
        if (child->type == XML_ELEMENT_NODE)
            children.push_back(child);
    return children;
}

CScriptNode::CScriptNode(CProfileContext *context, xmlNode *element, const QString &attribute)
    : m_context(context)
    , m_element(element)
    , m_attribute(attribute)
{
}

QJSValue CScriptNode::Wrap(QJSEngine *engine, CProfileContext *context, xmlNode *element, const QString &attribute)
{
    if (!engine || !element)
        return QJSValue(QJSValue::NullValue);
    return engine->newQObject(new CScriptNode(context, element, attribute));
}

xmlNode *CScriptNode::Unwrap(const QJSValue &value)
{
    auto *node = qobject_cast<CScriptNode *>(value.toQObject());
    return node && node->m_attribute.isEmpty() ? node->m_element : nullptr;
}

QJSValue CScriptNode::WrapOther(xmlNode *element) const
{
    return Wrap(qjsEngine(this), m_context, element);
}

void CScriptNode::Throw(const QString &message) const
{
    if (QJSEngine *engine = qjsEngine(this))
        engine->throwError(QJSValue::TypeError, message);
}

QString CScriptNode::ValueText(const QJSValue &value)
{
    if (value.isBool())
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    if (value.isNumber()) {
        const double number = value.toNumber();
        if (std::isfinite(number) && number == std::floor(number) && std::fabs(number) < 1e15)
            return QString::number(static_cast<qint64>(number));
        return QString::number(number);
    }
    if (value.isNull() || value.isUndefined())
        return QString();
    return value.toString();
}

QString CScriptNode::nodeName() const
{
    return m_attribute.isEmpty() ? Xml::NodeName(m_element) : m_attribute;
}

QJSValue CScriptNode::nodeValue() const
{
    if (m_attribute.isEmpty())
        return QJSValue(QJSValue::NullValue);
    return getAttribute(m_attribute);
}

void CScriptNode::setNodeValue(const QJSValue &value)
{
    if (m_attribute.isEmpty())
        return Throw(QStringLiteral("an element has no value"));
    setAttribute(m_attribute, value);
}

QJSValue CScriptNode::parentNode() const
{
    if (!m_attribute.isEmpty())
        return WrapOther(m_element);
    xmlNode *parent = m_element->parent;
    return parent && parent->type == XML_ELEMENT_NODE ? WrapOther(parent) : QJSValue(QJSValue::NullValue);
}

QJSValue CScriptNode::documentElement() const
{
    return m_element->doc ? WrapOther(xmlDocGetRootElement(m_element->doc)) : QJSValue(QJSValue::NullValue);
}

int CScriptNode::index() const
{
    const std::vector<xmlNode *> siblings = ElementChildren(m_element->parent);
    for (size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i] == m_element)
            return static_cast<int>(i);
    return -1;
}

QJSValue CScriptNode::getAttribute(const QString &name) const
{
    if (!Xml::HasAttribute(m_element, name.toUtf8().constData()))
        return QJSValue(QJSValue::NullValue);
    return QJSValue(Xml::Attribute(m_element, name.toUtf8().constData()));
}

void CScriptNode::setAttribute(const QString &name, const QJSValue &value)
{
    const QByteArray n = name.toUtf8();
    if (xmlValidateName(X(n), 0) != 0)
        return Throw(QStringLiteral("invalid attribute name '%1'").arg(name));
    xmlSetProp(m_element, X(n), X(ValueText(value).toUtf8()));
}

bool CScriptNode::hasAttribute(const QString &name) const
{
    return Xml::HasAttribute(m_element, name.toUtf8().constData());
}

void CScriptNode::removeAttribute(const QString &name)
{
    xmlUnsetProp(m_element, X(name.toUtf8()));
}

QJSValue CScriptNode::children() const
{
    QJSEngine *engine = qjsEngine(this);
    const std::vector<xmlNode *> nodes = ElementChildren(m_element);
    QJSValue array = engine->newArray(static_cast<uint>(nodes.size()));
    for (size_t i = 0; i < nodes.size(); ++i)
        array.setProperty(static_cast<quint32>(i), WrapOther(nodes[i]));
    return array;
}

QJSValue CScriptNode::child(int index) const
{
    const std::vector<xmlNode *> nodes = ElementChildren(m_element);
    if (index < 0 || static_cast<size_t>(index) >= nodes.size())
        return QJSValue(QJSValue::NullValue);
    return WrapOther(nodes[static_cast<size_t>(index)]);
}

int CScriptNode::childCount() const
{
    return static_cast<int>(ElementChildren(m_element).size());
}

QJSValue CScriptNode::selectNodes(const QString &xpath) const
{
    QJSEngine *engine = qjsEngine(this);
    std::vector<xmlNode *> nodes;
    try {
        nodes = Xml::Select(m_element->doc, xpath, m_element);
    } catch (...) {
        Throw(QStringLiteral("invalid selection '%1'").arg(xpath));
        return QJSValue();
    }
    QJSValue array = engine->newArray();
    quint32 count = 0;
    for (xmlNode *node : nodes) {
        if (node->type == XML_ELEMENT_NODE)
            array.setProperty(count++, WrapOther(node));
        else if (node->type == XML_ATTRIBUTE_NODE && node->parent)
            array.setProperty(count++, Wrap(engine, m_context, node->parent, Xml::NodeName(node)));
    }
    return array;
}

QJSValue CScriptNode::selectSingleNode(const QString &xpath) const
{
    QJSValue nodes = selectNodes(xpath);
    if (!nodes.isArray() || nodes.property(QStringLiteral("length")).toInt() == 0)
        return QJSValue(QJSValue::NullValue);
    return nodes.property(0);
}

QJSValue CScriptNode::createElement(const QString &name) const
{
    const QByteArray n = name.toUtf8();
    if (xmlValidateName(X(n), 0) != 0) {
        Throw(QStringLiteral("invalid element name '%1'").arg(name));
        return QJSValue();
    }
    xmlNode *element = xmlNewDocNode(m_element->doc, nullptr, X(n), nullptr);
    xmlNode *root = m_element->doc ? xmlDocGetRootElement(m_element->doc) : nullptr;
    if (root && root->ns)
        xmlSetNs(element, root->ns);
    m_context->KeepDetached(element);
    return WrapOther(element);
}

QJSValue CScriptNode::appendChild(const QJSValue &node)
{
    xmlNode *child = Unwrap(node);
    if (!child || child == m_element) {
        Throw(QStringLiteral("appendChild needs an element"));
        return QJSValue();
    }
    for (xmlNode *up = m_element; up; up = up->parent)
        if (up == child) {
            Throw(QStringLiteral("an element cannot contain itself"));
            return QJSValue();
        }
    xmlUnlinkNode(child);
    xmlAddChild(m_element, child);
    return node;
}

QJSValue CScriptNode::insertBefore(const QJSValue &node, const QJSValue &reference)
{
    xmlNode *child = Unwrap(node);
    xmlNode *before = Unwrap(reference);
    if (!before)
        return appendChild(node);
    if (!child || before->parent != m_element || child == before) {
        Throw(QStringLiteral("insertBefore needs an element and a child of this element"));
        return QJSValue();
    }
    for (xmlNode *up = m_element; up; up = up->parent)
        if (up == child) {
            Throw(QStringLiteral("an element cannot contain itself"));
            return QJSValue();
        }
    xmlUnlinkNode(child);
    xmlAddPrevSibling(before, child);
    return node;
}

QJSValue CScriptNode::removeChild(const QJSValue &node)
{
    xmlNode *child = Unwrap(node);
    if (!child || child->parent != m_element) {
        Throw(QStringLiteral("removeChild needs a child of this element"));
        return QJSValue();
    }
    // The text that indented the child goes with it.
    xmlNode *before = child->prev;
    if (before && before->type == XML_TEXT_NODE && xmlIsBlankNode(before)) {
        xmlUnlinkNode(before);
        xmlFreeNode(before);
    }
    xmlUnlinkNode(child);
    m_context->KeepDetached(child);
    return node;
}

QJSValue CScriptNode::cloneNode(bool deep) const
{
    xmlNode *copy = xmlDocCopyNode(m_element, m_element->doc, deep ? 1 : 2);
    if (!copy)
        return QJSValue(QJSValue::NullValue);
    m_context->KeepDetached(copy);
    return WrapOther(copy);
}
