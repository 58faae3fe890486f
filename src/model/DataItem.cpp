#include "model/DataItem.h"
#include "model/ProfileContext.h"
#include "model/ScriptNode.h"
#include "settings/TarnCPSException.h"

#include <QJSEngine>

namespace {

QString FullOperation(const char *operation)
{
    return QStringLiteral("CDataItem::") + QLatin1String(operation);
}

} // namespace

CDataItem::CDataItem(xmlNode *node, std::shared_ptr<CProfileContext> context)
    : m_node(node)
    , m_context(std::move(context))
{
}

QString CDataItem::Name() const
{
    return m_node ? Xml::NodeName(m_node) : QString();
}

void CDataItem::GetChildByName(const QString &name, CDataItem &child) const
{
    xmlNode *found = nullptr;
    for (xmlNode *node : ElementChildren(m_node))
        if (Xml::NodeName(node) == name && node->ns && qstrcmp(reinterpret_cast<const char *>(node->ns->href), kProfileNamespace) == 0) {
            found = node;
            break;
        }
    if (!found)
        TARN_RAISE(132, QStringLiteral("Name='%1'").arg(name), "CDataItem::GetChildByName"); // "Programming error: 107."
    child = CDataItem(found, m_context);
}

int CDataItem::GetChildCount() const
{
    return static_cast<int>(ElementChildren(m_node).size());
}

void CDataItem::GetChildByIndex(int index, CDataItem &child) const
{
    const std::vector<xmlNode *> children = ElementChildren(m_node);
    xmlNode *node = index >= 0 && static_cast<size_t>(index) < children.size() ? children[static_cast<size_t>(index)] : nullptr;
    child = CDataItem(node, m_context);
}

bool CDataItem::HasAttribute(const QString &name) const
{
    return Xml::HasAttribute(m_node, name.toUtf8().constData());
}

QVariant CDataItem::GetAttributeValue(const QString &name) const
{
    const QByteArray key = name.toUtf8();
    if (!Xml::HasAttribute(m_node, key.constData()))
        TARN_RAISE(133, QStringLiteral("Name='%1'").arg(name), "CDataItem::GetAttributeValue"); // "Programming error: 108."
    const QString text = Xml::Attribute(m_node, key.constData());
    const QString type = m_context ? m_context->Schema().AttributeBaseType(Name(), name) : QString();
    if (type == QLatin1String("long"))
        return QVariant::fromValue<qint32>(static_cast<qint32>(text.trimmed().toLongLong()));
    if (type == QLatin1String("boolean")) {
        const QString t = text.trimmed();
        return QVariant(t == QLatin1String("1") || t == QLatin1String("true"));
    }
    if (type == QLatin1String("unsignedLong"))
        return QVariant::fromValue<quint32>(static_cast<quint32>(text.trimmed().toULongLong()));
    return QVariant(text);
}

bool CDataItem::GetScriptHandler(xmlNode *node, const QString &kind, QString &function, const QString &attribute) const
{
    if (!node || !m_context)
        return false;
    return m_context->Schema().GetHook(Xml::NodeName(node), attribute, kind, function);
}

QJSValue CDataItem::Wrap(xmlNode *element, const QString &attribute) const
{
    return CScriptNode::Wrap(m_context->Script().Engine(), m_context.get(), element, attribute);
}

QJSValue CDataItem::Call(const QString &function, const QJSValueList &arguments, const char *operation,
                         const QString &failureText) const
{
    // A rule that fails half-way must not leave half a change behind: the
    // profile is put back as it was before the call.
    CProfileContext::Snapshot before = m_context->TakeSnapshot(m_node ? m_node->doc : nullptr);
    bool ok = false;
    QJSValue result = m_context->Script().InvokeScriptFunction(function, arguments, &ok);
    if (!ok) {
        m_context->Restore(before);
        throw CTarnCPSException(131, failureText, FullOperation(operation).toLatin1().constData(), __LINE__);
    }
    return result;
}

void CDataItem::SetDirect(const QString &name, const QVariant &value)
{
    const QString text = value.typeId() == QMetaType::Bool ? (value.toBool() ? QStringLiteral("1") : QStringLiteral("0"))
                                                           : value.toString();
    xmlSetProp(m_node, reinterpret_cast<const xmlChar *>(name.toUtf8().constData()),
               reinterpret_cast<const xmlChar *>(text.toUtf8().constData()));
}

int CDataItem::SetAttributeValue(const QString &name, const QVariant &value)
{
    int outA = 0;
    int outB = 0;
    return SetAttributeValue(name, value, outA, 0, outB);
}

int CDataItem::SetAttributeValue(const QString &name, const QVariant &value, int &outA, int confirm, int &outB)
{
    outA = 0;
    outB = 0;
    QString function;
    if (!GetScriptHandler(m_node, QStringLiteral("SetVal"), function, name)) {
        SetDirect(name, value);
        return 0;
    }
    CScriptHost &script = m_context->Script();
    QJSValue refA = script.MakeRef(0);
    QJSValue refB = script.MakeRef(0);
    const QJSValue attribute = HasAttribute(name) ? Wrap(m_node, name) : QJSValue(QJSValue::NullValue);
    const QString failure = QStringLiteral("Invoke script function failed\nfunction name=SetAttributeValue,Node=%1 Attribute=%2 Value=%3")
                                .arg(Name(), name, value.toString());
    QJSValue result = Call(function,
                           {Wrap(m_node), attribute, script.Engine()->toScriptValue(value), refA, QJSValue(confirm), refB},
                           "SetAttributeValue", failure);
    outA = CScriptHost::RefValue(refA).toInt();
    outB = CScriptHost::RefValue(refB).toInt();
    return result.toInt();
}

bool CDataItem::CanAddChild() const
{
    QString function;
    if (!GetScriptHandler(m_node, QStringLiteral("CanAddChild"), function))
        return false;
    return Call(function, {Wrap(m_node)}, "CanAddChild",
                QStringLiteral("Invoke script function failed\nfunction name=CanAddChild,Node=%1").arg(Name()))
        .toBool();
}

void CDataItem::AddNewChild(CDataItem &child)
{
    QString function;
    if (!GetScriptHandler(m_node, QStringLiteral("OnAddNew"), function))
        return;
    QJSValue result = Call(function, {Wrap(m_node)}, "AddNewChild",
                           QStringLiteral("Invoke script function failed\nfunction name=OnAddNew,Node=%1").arg(Name()));
    if (xmlNode *node = CScriptNode::Unwrap(result))
        child = CDataItem(node, m_context);
}

int CDataItem::RemoveChildByIndex(int index, int &outA, int confirm, int &outB)
{
    outA = 0;
    outB = 0;
    const std::vector<xmlNode *> children = ElementChildren(m_node);
    if (index < 0 || static_cast<size_t>(index) >= children.size())
        TARN_RAISE(133, QStringLiteral("Index='%1'").arg(index), "CDataItem::RemoveChildByIndex");
    xmlNode *child = children[static_cast<size_t>(index)];
    QString function;
    if (!GetScriptHandler(child, QStringLiteral("OnDelete"), function)) {
        xmlUnlinkNode(child);
        m_context->KeepDetached(child);
        return 0;
    }
    CScriptHost &script = m_context->Script();
    QJSValue refA = script.MakeRef(0);
    QJSValue refB = script.MakeRef(0);
    QJSValue result = Call(function, {Wrap(child), QJSValue(index), refA, QJSValue(confirm), refB}, "RemoveChildByIndex",
                           QStringLiteral("Invoke script function failed\nfunction name=OnDelete,Node=%1").arg(Xml::NodeName(child)));
    outA = CScriptHost::RefValue(refA).toInt();
    outB = CScriptHost::RefValue(refB).toInt();
    return result.toInt();
}

bool CDataItem::CanDeleteChild() const
{
    QString function;
    if (!GetScriptHandler(m_node, QStringLiteral("CanDeleteChild"), function))
        return false;
    return Call(function, {Wrap(m_node)}, "CanDeleteChild",
                QStringLiteral("Invoke script function failed\nfunction name=CanDeleteChild,Node=%1").arg(Name()))
        .toBool();
}

bool CDataItem::AddFrequency(quint32 frequency, quint32 value1, quint32 value2, quint32 value3, int &outA, int &outB)
{
    outA = 0;
    outB = 0;
    QString function;
    if (!GetScriptHandler(m_node, QStringLiteral("OnAddNewFrequency"), function))
        return false;
    CScriptHost &script = m_context->Script();
    QJSValue refA = script.MakeRef(0);
    QJSValue refB = script.MakeRef(0);
    QJSValue result = Call(function,
                           {Wrap(m_node), QJSValue(frequency), QJSValue(value1), QJSValue(value2), QJSValue(value3), refA, refB},
                           "AddFrequency", QStringLiteral("Error: AddFrequency"));
    outA = CScriptHost::RefValue(refA).toInt();
    outB = CScriptHost::RefValue(refB).toInt();
    return result.toInt() == 0;
}

bool CDataItem::CanDeleteFrequency(int index) const
{
    QString function;
    if (!GetScriptHandler(m_node, QStringLiteral("CanDeleteChild"), function))
        return false;
    return Call(function, {Wrap(m_node), QJSValue(static_cast<quint32>(index))}, "CanDeleteFrequency",
                QStringLiteral("Invoke script function failed\nfunction name=CanDeleteChild,Node=%1").arg(Name()))
        .toBool();
}

int CDataItem::SetFreqAttributeValue(const QVariant &v1, const QVariant &v2, const QVariant &v3, const QVariant &v4,
                                     const QVariant &v5, int &outA, int &outB, int confirm)
{
    outA = 0;
    outB = 0;
    QString function;
    if (!GetScriptHandler(m_node, QStringLiteral("SetFreqAttr"), function))
        return 1;
    CScriptHost &script = m_context->Script();
    QJSEngine *engine = script.Engine();
    QJSValue refA = script.MakeRef(0);
    QJSValue refB = script.MakeRef(0);
    QJSValue result = Call(function,
                           {Wrap(m_node), engine->toScriptValue(v1), engine->toScriptValue(v2), engine->toScriptValue(v3),
                            engine->toScriptValue(v4), engine->toScriptValue(v5), refA, refB, QJSValue(confirm)},
                           "SetFreqAttributeValue",
                           QStringLiteral("Invoke script function failed\nfunction name=SetFreqAttributeValue,Node=%1").arg(Name()));
    outA = CScriptHost::RefValue(refA).toInt();
    outB = CScriptHost::RefValue(refB).toInt();
    return result.toInt();
}

void CDataItem::CopyReceiveToTransmit()
{
    if (!m_node)
        TARN_RAISE(131, QStringLiteral("the item holds no element"), "CDataItem::CopyReceiveToTransmit");
    static const std::pair<const char *, const char *> kPairs[] = {
        {"rx_code", "tx_code"}, {"rx_freq_ndx", "tx_freq_ndx"}, {"rx_bw", "tx_bw"}};
    for (xmlNode *channel : Xml::Select(m_node->doc, QStringLiteral("//dfns:channels/*"))) {
        CDataItem item(channel, m_context);
        for (const auto &[from, to] : kPairs)
            item.SetDirect(QLatin1String(to), item.GetAttributeValue(QLatin1String(from)));
    }
}

void CDataItem::ResetSubRegion()
{
    if (!m_node)
        TARN_RAISE(131, QStringLiteral("the item holds no element"), "CDataItem::ResetSubRegion");
    xmlNode *factory = Xml::SelectSingle(m_node->doc, QStringLiteral("//dfns:factory_setting"));
    if (!factory)
        throw CTarnCPSException::FromComponent(131, QStringLiteral("no element matches"),
                                               QStringLiteral("//dfns:factory_setting"), QStringLiteral("libxml2"),
                                               "CDataItem::ResetSubRegion", __LINE__);
    CDataItem(factory, m_context).SetDirect(QStringLiteral("sub_region"), 0);
}

QString CDataItem::ProcessChannelName(const QString &profileText)
{
    XmlParseError error;
    XmlDocPtr doc = Xml::ParseText(profileText, &error);
    if (!doc)
        TARN_RAISE(135, error.reason, "CDataItem::ProcessChannelName"); // "Invalid profile."

    xmlNode *channels = Xml::SelectSingle(doc.get(), QStringLiteral("//dfns:channels"));
    const std::vector<xmlNode *> children = ElementChildren(channels);
    unsigned counter = 1;
    for (xmlNode *channel : children) {
        if (!Xml::Attribute(channel, "name").isEmpty())
            continue;
        QString candidate = QStringLiteral("CHAN %1").arg(counter);
        for (size_t i = 0; i < children.size(); ++i) {
            if (Xml::Attribute(children[i], "name") == candidate) {
                ++counter;
                candidate = QStringLiteral("CHAN %1").arg(counter);
                i = static_cast<size_t>(-1); // start the comparison over
            }
        }
        ++counter;
        xmlSetProp(channel, reinterpret_cast<const xmlChar *>("name"),
                   reinterpret_cast<const xmlChar *>(candidate.toUtf8().constData()));
    }
    return Xml::ToText(doc.get());
}
