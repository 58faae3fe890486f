#pragma once
// Signalling code numbers, as rx_code and tx_code of a channel hold them:
//   0         no code
//   1-38      CTCSS tones         122  a further CTCSS tone (69.30 Hz)
//   39-121    DPL codes           123  a further DPL code (DPL 645)
//   124-129   customised CTCSS tones, valued by setting's PLcode124..PLcode129
//   130-212   inverted DPL of codes 39-121 (the code minus 91)
//   213       inverted DPL of code 123
//   214-219   customised DPL codes, valued by setting's PLcode214..PLcode219
// No number above 219 has a meaning.

#include "model/DataItem.h"

#include <QString>

// The text under which a code number is shown, in the current language and
// with the current decimal separator, e.g. "12 - 100.0 Hz", "130 - Inverted
// DPL 39", "124 - Customized PL (131.8 Hz)". root is the profile's root item;
// only the customised codes read from it. A customised code whose PLcode
// attribute the profile lacks is shown without the value in brackets. A
// number without a meaning (below 0 or above 219) is shown as the number alone.
QString GetCodeText(int code, const CDataItem &root);
