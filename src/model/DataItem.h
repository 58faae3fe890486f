#pragma once
// A handle on one element of a loaded profile: typed attribute access,
// navigation to children, and the operations whose outcome the rule script
// decides. Items are values; navigation fills an item the caller provides.
//
// Script-backed operations answer 0 when the change was made, 1 when the rule
// script refused it (outA holds the string-table id of the message to show),
// or another value when the script asks for a confirmation (outA a message
// id, outB a message-box style); after a Yes the caller repeats the call with
// confirm = 6.

#include "settings/XmlDocument.h"

#include <QJSValue>
#include <QString>
#include <QVariant>
#include <memory>

class CProfileContext;

class CDataItem
{
public:
    CDataItem() = default;
    CDataItem(xmlNode *node, std::shared_ptr<CProfileContext> context);

    bool IsEmpty() const { return m_node == nullptr; }
    xmlNode *Node() const { return m_node; }
    QString Name() const;
    const std::shared_ptr<CProfileContext> &Context() const { return m_context; }

    // Navigation. GetChildByName raises 132 when there is no such child;
    // GetChildByIndex leaves the item empty past the last child.
    void GetChildByName(const QString &name, CDataItem &child) const;
    int GetChildCount() const;
    void GetChildByIndex(int index, CDataItem &child) const;

    // The attribute as the schema types it: qint32 for "long", bool for
    // "boolean", quint32 for "unsignedLong", the text otherwise. Raises 133
    // when the element has no such attribute.
    QVariant GetAttributeValue(const QString &name) const;
    bool HasAttribute(const QString &name) const;

    bool GetScriptHandler(xmlNode *node, const QString &kind, QString &function, const QString &attribute = QString()) const;

    int SetAttributeValue(const QString &name, const QVariant &value, int &outA, int confirm, int &outB);
    int SetAttributeValue(const QString &name, const QVariant &value);
    bool CanAddChild() const;
    void AddNewChild(CDataItem &child);
    int RemoveChildByIndex(int index, int &outA, int confirm, int &outB);
    bool CanDeleteChild() const;
    bool AddFrequency(quint32 frequency, quint32 value1, quint32 value2, quint32 value3, int &outA, int &outB);
    bool CanDeleteFrequency(int index) const;
    int SetFreqAttributeValue(const QVariant &v1, const QVariant &v2, const QVariant &v3, const QVariant &v4,
                              const QVariant &v5, int &outA, int &outB, int confirm);

    // Whole-profile operations, called on the root item.
    void CopyReceiveToTransmit();
    void ResetSubRegion();
    // Names channels whose name is empty "CHAN 1", "CHAN 2", ... avoiding names in use.
    static QString ProcessChannelName(const QString &profileText);

private:
    QJSValue Call(const QString &function, const QJSValueList &arguments, const char *operation,
                  const QString &failureText) const;
    QJSValue Wrap(xmlNode *element, const QString &attribute = QString()) const;
    void SetDirect(const QString &name, const QVariant &value);

    xmlNode *m_node = nullptr;
    std::shared_ptr<CProfileContext> m_context;
};
