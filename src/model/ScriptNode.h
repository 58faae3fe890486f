#pragma once
// Profile nodes as the rule script sees them. The script reads and changes
// the profile directly through these objects:
//
//   node.nodeName                    local name of the element (or attribute)
//   node.nodeValue                   an attribute's value (read and write)
//   node.parentNode                  the parent element, or null
//   node.documentElement             the profile's root element
//   node.index                       position among the parent's elements
//   node.getAttribute(name)          text, or null when absent
//   node.setAttribute(name, value)   true/false as "1"/"0", numbers as integers
//   node.hasAttribute(name), node.removeAttribute(name)
//   node.children()                  the child elements, as an array
//   node.child(i), node.childCount() the i-th child element, their number
//   node.selectNodes(xpath)          array; the prefix dfns names the profile
//   node.selectSingleNode(xpath)     node or null
//   node.createElement(name)         a new element of the profile namespace
//   node.appendChild(n), node.insertBefore(n, ref), node.removeChild(n)
//   node.cloneNode(deep)
//
// An attribute is passed to the script as an object of the same kind whose
// nodeName is the attribute's name and whose nodeValue is its value.

#include "settings/XmlDocument.h"

#include <QJSValue>
#include <QObject>

class CProfileContext;
class QJSEngine;

class CScriptNode : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString nodeName READ nodeName CONSTANT)
    Q_PROPERTY(QJSValue nodeValue READ nodeValue WRITE setNodeValue)
    Q_PROPERTY(QJSValue parentNode READ parentNode)
    Q_PROPERTY(QJSValue documentElement READ documentElement)
    Q_PROPERTY(int index READ index)

public:
    // The script object for an element, or for the attribute `attribute` of it.
    static QJSValue Wrap(QJSEngine *engine, CProfileContext *context, xmlNode *element,
                         const QString &attribute = QString());
    // The element behind a script object, or nullptr when it is none of ours.
    static xmlNode *Unwrap(const QJSValue &value);

    QString nodeName() const;
    QJSValue nodeValue() const;
    void setNodeValue(const QJSValue &value);
    QJSValue parentNode() const;
    QJSValue documentElement() const;
    int index() const;

    Q_INVOKABLE QJSValue getAttribute(const QString &name) const;
    Q_INVOKABLE void setAttribute(const QString &name, const QJSValue &value);
    Q_INVOKABLE bool hasAttribute(const QString &name) const;
    Q_INVOKABLE void removeAttribute(const QString &name);
    Q_INVOKABLE QJSValue children() const;
    Q_INVOKABLE QJSValue child(int index) const;
    Q_INVOKABLE int childCount() const;
    Q_INVOKABLE QJSValue selectNodes(const QString &xpath) const;
    Q_INVOKABLE QJSValue selectSingleNode(const QString &xpath) const;
    Q_INVOKABLE QJSValue createElement(const QString &name) const;
    Q_INVOKABLE QJSValue appendChild(const QJSValue &node);
    Q_INVOKABLE QJSValue insertBefore(const QJSValue &node, const QJSValue &reference);
    Q_INVOKABLE QJSValue removeChild(const QJSValue &node);
    Q_INVOKABLE QJSValue cloneNode(bool deep) const;

    // The text an attribute gets for a script value: booleans "1"/"0",
    // whole numbers without a fraction.
    static QString ValueText(const QJSValue &value);

private:
    CScriptNode(CProfileContext *context, xmlNode *element, const QString &attribute);
    QJSValue WrapOther(xmlNode *element) const;
    void Throw(const QString &message) const;

    CProfileContext *m_context;
    xmlNode *m_element;
    QString m_attribute; // empty for an element
};

// Element children of a node, in order (comments and text are not children here).
std::vector<xmlNode *> ElementChildren(const xmlNode *node);
