#include "model/ProfileImage.h"
#include "codeplug/DataAdaptor.h"
#include "model/RadioDataModel.h"
#include "settings/TarnCPSException.h"

int GetVirtualCPData(CRadioDataModel &model, VirtualCP &image, const CRadioIdentity &radio)
{
    try {
        CDataItem &root = model.RootItem();
        CDataItem limit;
        root.GetChildByName(QStringLiteral("limit"), limit);
        if (limit.GetAttributeValue(QStringLiteral("disable_repeater_feature")).toBool())
            root.CopyReceiveToTransmit();
        return CDataAdaptor::XML2VirtualCP(model.ProfileText(), image, radio);
    } catch (CTarnCPSException &e) {
        e.AddTrace("CTarnCPSDoc::GetVirtualCPData", __LINE__, QStringLiteral("Exception Caught"));
        throw;
    }
}

bool SetVirtualCPData(CRadioDataModel &model, const VirtualCP &image)
{
    try {
        QString text;
        if (!CDataAdaptor::VirtualCP2XML(image, text))
            return false;
        text = CDataItem::ProcessChannelName(text);
        return model.LoadProfile(text, false);
    } catch (CTarnCPSException &e) {
        e.AddCatchTrace("CTarnCPSDoc::SetVirtualCPData", __LINE__);
        throw;
    }
}
