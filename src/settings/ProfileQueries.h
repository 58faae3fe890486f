#pragma once
// Small facts about a loaded profile that several parts of the program need:
// display or repeater model, enabled channels, whether the channels'
// frequencies and codes fit the radio, and whether a codeplug version can be
// handled. Every query reads the profile through the data items, starting
// from the profile's root item.
//
// The channel queries look at the first `numberChannels` children of
// `channels` only. A channel slot that `numberChannels` counts but the
// profile lacks is a missing element: the data item's error 133 goes to the
// caller. A channel whose frequency index points past the end of
// `frequencies` has no frequency inside the limits.

#include "model/DataItem.h"

#include <QChar>

// The third character of factory_setting's `model` is "D" or "d".
bool IsDisplayModel(const CDataItem &root);
// The last two characters of `model` are "70" or "73".
bool IsRepeaterModel(const CDataItem &root);
// How many of the first numberChannels channels are not disabled.
int GetEnabledChannelCount(const CDataItem &root);
// Every one of the first numberChannels channels receives and transmits on a
// frequency within [start_freq, end_freq] of `limit`, both ends included.
bool AreFrequenciesWithinLimits(const CDataItem &root);
// Every one of the first numberChannels channels has rx_code and tx_code at
// most highestCode.
bool AreCodesWithin(const CDataItem &root, quint32 highestCode);
// Sets compander_lle_mode to 3 on every frequency whose bandwidth is 1,
// through SetAttributeValue so that the rule script decides.
void SetWideBandCompanderMode(CDataItem &root);
// The phase character is "D", or the installation's codeplug version
// (CPVersion of Region.stv) is at least `version`.
bool IsCodeplugVersionSupported(QChar codeplugPhase, int version);
