#pragma once
// One loaded profile: read, migrated to the installation's codeplug version,
// validated against DataProfile.xsd, edited through its root data item, and
// taken back to the shape of its own codeplug version before it is written.
//
// The migration knows no field names: UpDownGradeSetting.stv says which
// attributes (CPField) and elements (CPTag) each codeplug version has. A
// profile of version V gets every field that some version has and V lacks
// while it is open, and loses them again in TakeOffDoc.

#include "model/DataItem.h"
#include "settings/XmlDocument.h"

#include <QString>
#include <memory>
#include <vector>

class CProfileContext;

class CRadioDataModel
{
public:
    CRadioDataModel();
    ~CRadioDataModel();
    CRadioDataModel(const CRadioDataModel &) = delete;
    CRadioDataModel &operator=(const CRadioDataModel &) = delete;

    // Starts the rule script and makes the auxiliary document. False when the
    // rule script is missing or empty; raises 137 when the engine fails.
    bool Initialize();

    // Loads a profile from a file (isPath) or from its text. True when it was
    // loaded and validated; false when the schema or the rule script is
    // missing (message 315 shown); raises 135 or 136 otherwise.
    bool LoadProfile(const QString &textOrPath, bool isPath);
    // Reads the profile into the operation document and builds the added-field
    // list for its codeplug version. False when the path cannot be read.
    bool InitialOperaDoc(const QString &textOrPath, bool isPath);
    // Leaves in the operation document the profile as it is to be written.
    void TakeOffDoc();

    CDataItem &RootItem() { return m_root; }
    xmlDoc *ProfileDocument() const;
    xmlDoc *OperationDocument() const { return m_operation.get(); }
    QString ProfileText() const;   // what the conversion into an image reads
    QString OperationText() const; // what saving writes
    int CodeplugVersion() const { return m_codeplugVersion; }
    // The migration entries of the loaded profile (CPField / CPTag elements).
    const std::vector<xmlNode *> &AddedFields() const { return m_addedFields; }

    // Where the RF frequency form keeps its selected row and scroll position.
    int frequencyRow = 0;
    int frequencyScroll = 0;

private:
    void BuildAddedFieldList(int version);
    void ApplyAddedFields(bool isPath);

    std::shared_ptr<CProfileContext> m_context;
    CDataItem m_root;
    XmlDocPtr m_auxiliary;
    XmlDocPtr m_operation;
    std::vector<xmlNode *> m_addedFields;
    int m_codeplugVersion = 0;
    bool m_initialized = false;
    int m_loads = 0;
};
