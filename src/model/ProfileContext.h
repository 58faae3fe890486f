#pragma once
// What every data item of one loaded profile shares: the profile document,
// the schema's declarations, and the rule-script host. Data items hold it
// by shared reference, so a view that keeps an item never outlives the
// document under it.

#include "model/SchemaInfo.h"
#include "model/ScriptHost.h"
#include "settings/XmlDocument.h"

#include <memory>
#include <vector>

class CProfileContext
{
public:
    CProfileContext();
    ~CProfileContext();
    CProfileContext(const CProfileContext &) = delete;
    CProfileContext &operator=(const CProfileContext &) = delete;

    CScriptHost &Script() { return m_script; }
    CSchemaInfo &Schema() { return m_schema; }

    xmlDoc *Document() const { return m_document.get(); }
    // A new profile document replaces the current one. The old one is kept
    // until the profile closes, because the rule script may still hold nodes
    // of it.
    void SetDocument(XmlDocPtr document);

    // Nodes the rule script created or removed and that belong to no document
    // tree yet; those still unattached when the profile closes are freed then.
    void KeepDetached(xmlNode *node) { m_detached.push_back(node); }

    // A copy of a document's content, to put back when a rule fails.
    struct Snapshot
    {
        xmlDoc *document = nullptr;
        XmlDocPtr copy;
    };
    Snapshot TakeSnapshot(xmlDoc *document) const;
    // Gives the document's root element the content of the snapshot again.
    // The elements it held until now are kept (detached), since data items
    // may still point at them.
    void Restore(const Snapshot &snapshot);

private:
    // Declared first, destroyed last: the documents outlive the script engine
    // and the nodes its objects point at.
    std::vector<XmlDocPtr> m_documents;
    XmlDocPtr m_document;
    std::vector<xmlNode *> m_detached;
    CSchemaInfo m_schema;
    CScriptHost m_script;
};
