Option Explicit
// DataProfile.js: the rules that decide every change made to a profile.
//
// The program loads this file once for each open profile, runs its global
// code, and then calls its global functions by name. Each open profile has an
// engine of its own, so a global variable set here is never seen by another
// profile. The first line "Option Explicit" makes the whole file strict:
// assigning a variable that was never declared is an error, reported with its
// line number.
//
// Results. A hook answers 0 when it made the change, 1 when it refuses it (the
// string-table id of the message to show is handed back through its message
// argument), or another value when it asks the user to confirm; a Yes answer
// repeats the call with the confirmation input 6.
//
// In-out arguments. JavaScript passes everything by value, so an argument the
// program wants back (a message id, a message-box style, a changed value) is
// passed as a reference box: an object whose property `value` holds the
// argument. Read it with `box.value` and answer with `box.value = ...`.
//
// Errors. An exception thrown by a hook, or a mistake in this file, is shown
// to the user with its line number, and the operation in progress fails.
//
// Hooks. DataProfile.xsd names, in the annotations of its declarations, the
// function below that decides each change; its opening comment lists them
// all. The program calls them with these arguments:
//
//   SetVal             (element, attribute, value, message, confirm, style)
//                      the attribute is null when the element lacks it; a
//                      hook that accepts the value stores it itself
//   CanAddChild        (element)                         -> true / false
//   OnAddNew           (element)                         -> the new child or null
//   OnDelete           (child, index, message, confirm, style)
//                      a hook that accepts removes the child itself
//   CanDeleteChild     (child), or (frequencies, index)  -> true / false
//   OnAddNewFrequency  (frequencies, frequency in Hz, bandwidth class,
//                       power class, compander mode, message, style)
//   SetFreqAttr        (frequencies, index, frequency in Hz, bandwidth class,
//                       power class, compander mode, message, style, confirm)
//
// Profile nodes. Elements and attributes arrive as node objects: nodeName,
// nodeValue (attributes), parentNode, documentElement, index (position among
// the parent's elements), getAttribute / setAttribute / hasAttribute,
// children(), child(i), childCount(), selectNodes / selectSingleNode (XPath,
// prefix dfns for the profile namespace), createElement, appendChild,
// insertBefore, removeChild, cloneNode. Every attribute value reads as text;
// setAttribute writes numbers as whole numbers and booleans as "1" and "0".
//
// Values from the forms may arrive as numbers or as text; numbers are always
// stored as whole numbers. A rule checks everything before it changes
// anything, so a refused change leaves the profile as it was.
//
// Channel slots. `channels` holds one `channel` element per slot; the first
// `numberChannels` of them are the channels in use, and a profile read from a
// radio carries the unused slots after them. A `preset` `channel` and the
// channels' `rx_freq_ndx` / `tx_freq_ndx` are positions (of a channel among
// the children of `channels`, of a frequency among those of `frequencies`);
// the rules that add or remove channels and frequencies keep them pointing at
// the same elements.

var DONE = 0;
var REFUSED = 1;
var ASK = 2;
var ANSWER_YES = 6;
var STYLE_YES_NO_WARNING = 0x34; // Yes and No buttons, warning icon

// String-table ids of the messages the rules answer with.
var MSG_CHANNEL_NAME_CHARACTERS = 222;
var MSG_FREQUENCY_NOT_SUPPORTED = 269;
var MSG_POWER_UP_TEXT_CHARACTERS = 280;
var MSG_FEATURE_ON_TWO_BUTTONS = 281;
var MSG_INVALID_FREQUENCY = 284;
var MSG_INVALID_BANDWIDTH = 285;
var MSG_INVALID_POWER_LEVEL = 286;
var MSG_ADDED_FREQUENCY_EXISTS = 287;
var MSG_FREQUENCY_USED_BY_CHANNEL = 288;
var MSG_CHANNEL_NAME_EXISTS = 298;
var MSG_INVALID_VALUE = 327;
var MSG_LAST_VALID_CHANNEL = 338;
var MSG_EDITED_FREQUENCY_EXISTS = 385;
var MSG_CHANNELS_USING_FREQUENCY_CHANGE = 394;
var MSG_CHANNEL_ON_PRESET_BUTTON = 401;
var MSG_STATION_ID_CHARACTERS = 491;
var MSG_HANG_TIME_RANGE = 492;
var MSG_SAME_RECEIVE_AND_TRANSMIT = 500;
var MSG_OUT_OF_RECEIVE_RANGE = 501;
var MSG_OUT_OF_TRANSMIT_RANGE = 502;
var MSG_LOW_BATTERY_TIME_RANGE = 506;
var MSG_CUSTOM_PL_RANGE = 2049;
var MSG_CUSTOM_DPL_RANGE = 2050;

// What the radio's display can show in a channel name or the power-up text:
// upper-case letters, digits, the lower-case letters that differ from their
// capitals on a segment display, a few signs, and the blank between words.
var DISPLAY_CHARACTERS = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789bcdghliour*{}?&%.+/\\-' ";
var DISPLAY_TEXT_LENGTH = 8;
var STATION_ID_LENGTH = 9;

var BUTTONS = ["side1_but", "side2_but", "upper_right_but", "lower_left_but", "lower_right_but"];
var NO_FUNCTION = 0;
var PRESET_1_FUNCTION = 9; // preset k (0 or 1) is the function 9 + k

// ===== helpers ==============================================================

function Refuse(message, id)
{
    message.value = id;
    return REFUSED;
}

function Ask(message, id, style)
{
    message.value = id;
    style.value = STYLE_YES_NO_WARNING;
    return ASK;
}

// A whole number from a form value (a number, or text of digits with an
// optional minus sign and blanks around it); null for anything else.
function WholeNumber(value)
{
    if (typeof value === "number")
        return isFinite(value) && Math.floor(value) === value ? value : null;
    if (typeof value === "string" && /^\s*-?[0-9]+\s*$/.test(value))
        return parseInt(value, 10);
    return null;
}

function InRange(number, low, high)
{
    return number !== null && number >= low && number <= high;
}

function Text(value)
{
    if (value === null || value === undefined)
        return "";
    return String(value);
}

function ConsistsOf(text, allowed)
{
    for (var i = 0; i < text.length; ++i)
        if (allowed.indexOf(text.charAt(i)) < 0)
            return false;
    return true;
}

// Numbers are stored without sign or leading zeros; NaN when absent or not a number.
function NumberOf(node, name)
{
    var text = node.getAttribute(name);
    return text === null || !/^\s*[0-9]+\s*$/.test(text) ? NaN : parseInt(text, 10);
}

function FlagOf(node, name)
{
    var text = node.getAttribute(name);
    return text === "1" || text === "true";
}

function Limit(node)        { return node.selectSingleNode("//dfns:limit"); }
function Setting(node)      { return node.selectSingleNode("//dfns:setting"); }
function Channels(node)     { return node.selectSingleNode("//dfns:channels"); }
function Frequencies(node)  { return node.selectSingleNode("//dfns:frequencies"); }
function Presets(node)      { return Setting(node).selectNodes("dfns:preset"); }

function ChannelsInUse(node)
{
    return Math.min(NumberOf(Setting(node), "numberChannels"), Channels(node).childCount());
}

// Positions of the channels in use that are not disabled, in order.
function EnabledChannels(node)
{
    var channels = Channels(node);
    var count = ChannelsInUse(node);
    var enabled = [];
    for (var i = 0; i < count; ++i)
        if (!FlagOf(channels.child(i), "disable_channel"))
            enabled.push(i);
    return enabled;
}

// The model's band, both edges included.
function WholeBand(node)
{
    var limit = Limit(node);
    return {low: NumberOf(limit, "start_freq"), high: NumberOf(limit, "end_freq")};
}

// The band a frequency may take as receive ("rx") or transmit ("tx")
// frequency: the model's separate edges where its limit carries them, else
// the whole band.
function Band(node, side)
{
    var limit = Limit(node);
    var band = WholeBand(node);
    if (limit.hasAttribute(side + "_start_freq"))
        band.low = NumberOf(limit, side + "_start_freq");
    if (limit.hasAttribute(side + "_end_freq"))
        band.high = NumberOf(limit, side + "_end_freq");
    return band;
}

function InBand(frequency, band)
{
    return frequency >= band.low && frequency <= band.high;
}

// What a channel takes from a frequency's classes when it starts to use it:
// the only choice, or the default of a selectable class (bandwidth: 0 and 2
// give 12.5 kHz, 1 and 3 give 25 kHz; power: 0 and 2 low, 1 and 3 high).
function ClassDefault(frequencyClass)
{
    return frequencyClass % 2;
}

function TakeFrequencyDefaults(channel, side, frequency)
{
    channel.setAttribute(side === "rx" ? "rx_bw" : "tx_bw", ClassDefault(NumberOf(frequency, "bandwidth")));
    channel.setAttribute(side === "rx" ? "talkaround_power" : "repeater_power",
                         ClassDefault(NumberOf(frequency, "power_level")));
}

// The channels in use that receive or transmit on the frequency at a position:
// a list of {channel, rx, tx}.
function ChannelsUsingFrequency(node, position)
{
    var channels = Channels(node);
    var count = ChannelsInUse(node);
    var users = [];
    for (var i = 0; i < count; ++i) {
        var channel = channels.child(i);
        var rx = NumberOf(channel, "rx_freq_ndx") === position;
        var tx = NumberOf(channel, "tx_freq_ndx") === position;
        if (rx || tx)
            users.push({channel: channel, rx: rx, tx: tx});
    }
    return users;
}

// ===== channels =============================================================

// A channel name: characters the display can show, at most 8 of them, blanks
// around it dropped, and no other channel in use of the same name (the scan
// list and the preset buttons find channels by name).
function SetChannelName(channel, attribute, value, message, confirm, style)
{
    var name = Text(value).trim();
    if (name.length === 0 || name.length > DISPLAY_TEXT_LENGTH || !ConsistsOf(name, DISPLAY_CHARACTERS))
        return Refuse(message, MSG_CHANNEL_NAME_CHARACTERS);
    var channels = Channels(channel);
    var count = ChannelsInUse(channel);
    var position = channel.index;
    for (var i = 0; i < count; ++i)
        if (i !== position && channels.child(i).getAttribute("name") === name)
            return Refuse(message, MSG_CHANNEL_NAME_EXISTS);
    channel.setAttribute("name", name);
    return DONE;
}

// A receive or transmit frequency: the position of an entry of the frequency
// table whose frequency lies in the model's receive resp. transmit band. A
// channel working through a repeater may not receive and transmit on the same
// frequency; choosing the very entry of the other side is left to the channel
// form, which moves the transmit side on, so only a second entry with the same
// frequency is refused here.
function SetChannelFrequency(channel, attribute, value, message, confirm, style)
{
    if (attribute === null || (attribute.nodeName !== "rx_freq_ndx" && attribute.nodeName !== "tx_freq_ndx"))
        return Refuse(message, MSG_INVALID_VALUE);
    var receive = attribute.nodeName === "rx_freq_ndx";
    var frequencies = Frequencies(channel);
    var position = WholeNumber(value);
    if (!InRange(position, 0, frequencies.childCount() - 1))
        return Refuse(message, MSG_INVALID_FREQUENCY);
    var frequency = NumberOf(frequencies.child(position), "freq");
    if (!InBand(frequency, Band(channel, receive ? "rx" : "tx")))
        return Refuse(message, receive ? MSG_OUT_OF_RECEIVE_RANGE : MSG_OUT_OF_TRANSMIT_RANGE);
    if (FlagOf(channel, "repeater")) {
        var other = NumberOf(channel, receive ? "tx_freq_ndx" : "rx_freq_ndx");
        var otherEntry = other >= 0 ? frequencies.child(other) : null;
        if (other !== position && otherEntry !== null && NumberOf(otherEntry, "freq") === frequency)
            return Refuse(message, MSG_SAME_RECEIVE_AND_TRANSMIT);
    }
    channel.setAttribute(attribute.nodeName, position);
    return DONE;
}

// Another channel fits while fewer than the model's slots are in use.
function CanAddChannel(channels)
{
    var setting = Setting(channels);
    var inUse = NumberOf(setting, "numberChannels");
    return inUse < NumberOf(Limit(channels), "maxChannels") && inUse <= channels.childCount();
}

// A new channel goes into the first unused slot (replacing what an unused
// slot held) and is counted in numberChannels. It receives and transmits on
// the first frequency the band allows, with that frequency's default
// bandwidth and power, in talkaround, without codes, scrambling or scanning,
// and is named "CHAN n" with the smallest n no channel in use has.
function AddNewChannel(channels)
{
    if (!CanAddChannel(channels))
        return null;
    var setting = Setting(channels);
    var position = NumberOf(setting, "numberChannels");
    var frequencies = Frequencies(channels);
    var band = Band(channels, "rx");
    var frequencyPosition = 0;
    for (var i = 0; i < frequencies.childCount(); ++i)
        if (InBand(NumberOf(frequencies.child(i), "freq"), band)) {
            frequencyPosition = i;
            break;
        }
    var names = {};
    for (var j = 0; j < position; ++j)
        names[channels.child(j).getAttribute("name")] = true;
    var number = 1;
    while (names["CHAN " + number])
        ++number;

    var channel = channels.createElement("channel");
    channel.setAttribute("rx_freq_ndx", frequencyPosition);
    channel.setAttribute("rx_code", 0);
    channel.setAttribute("tx_freq_ndx", frequencyPosition);
    channel.setAttribute("tx_code", 0);
    channel.setAttribute("rx_bw", 0);
    channel.setAttribute("tx_bw", 0);
    channel.setAttribute("talkaround_power", 0);
    channel.setAttribute("repeater_power", 0);
    channel.setAttribute("repeater", false);
    channel.setAttribute("autoScan", false);
    channel.setAttribute("scramble_code", 0);
    channel.setAttribute("name", "CHAN " + number);
    channel.setAttribute("disable_channel", false);
    channel.setAttribute("talkaround_scan", false);
    channel.setAttribute("in_scanlist", false);
    var frequency = frequencies.child(frequencyPosition);
    if (frequency !== null) {
        TakeFrequencyDefaults(channel, "rx", frequency);
        TakeFrequencyDefaults(channel, "tx", frequency);
    }

    var unused = channels.child(position);
    if (unused !== null) {
        channels.insertBefore(channel, unused);
        channels.removeChild(unused);
    } else {
        channels.appendChild(channel);
    }
    setting.setAttribute("numberChannels", position + 1);
    return channel;
}

// The radio needs a channel it can use: a channel in use may go only while
// another channel in use is not disabled. Unused slots may always go.
function CanDeleteChannel(channel)
{
    var position = channel.index;
    if (position >= ChannelsInUse(channel))
        return true;
    var enabled = EnabledChannels(channel);
    for (var i = 0; i < enabled.length; ++i)
        if (enabled[i] !== position)
            return true;
    return false;
}

// Whether a preset button (a button carrying the function of preset k) selects
// the channel at a position.
function IsOnPresetButton(node, position)
{
    var setting = Setting(node);
    var presets = Presets(node);
    for (var k = 0; k < presets.length; ++k) {
        if (NumberOf(presets[k], "channel") !== position)
            continue;
        for (var b = 0; b < BUTTONS.length; ++b)
            if (NumberOf(setting, BUTTONS[b]) === PRESET_1_FUNCTION + k)
                return true;
    }
    return false;
}

// Deleting a channel moves the channels after it one slot up. numberChannels
// counts one channel less; preset channels after it move up with them; a
// preset that selected the deleted channel takes, like disabling a channel
// does, the enabled channel of its own number (preset 1 the first, preset 2
// the second, the last one when there are fewer). When a preset button
// selects the channel, the user is asked first (message 401, Yes/No).
function DeleteChannel(channel, index, message, confirm, style)
{
    if (!CanDeleteChannel(channel))
        return Refuse(message, MSG_LAST_VALID_CHANNEL);
    var position = channel.index;
    var inUse = position < ChannelsInUse(channel);
    if (inUse && confirm !== ANSWER_YES && IsOnPresetButton(channel, position))
        return Ask(message, MSG_CHANNEL_ON_PRESET_BUTTON, style);

    var setting = Setting(channel);
    var presets = Presets(channel);
    var channels = channel.parentNode;
    channels.removeChild(channel);
    if (inUse)
        setting.setAttribute("numberChannels", NumberOf(setting, "numberChannels") - 1);

    var enabled = EnabledChannels(channels);
    for (var k = 0; k < presets.length; ++k) {
        var selected = NumberOf(presets[k], "channel");
        if (selected > position)
            presets[k].setAttribute("channel", selected - 1);
        else if (selected === position)
            presets[k].setAttribute("channel", enabled.length === 0 ? 0 : enabled[Math.min(k, enabled.length - 1)]);
    }
    return DONE;
}

// ===== frequency table ======================================================

function CanAddFrequency(frequencies)
{
    return frequencies.childCount() < NumberOf(Limit(frequencies), "max_valid_freqs");
}

// The checks an added or changed entry passes: a frequency in whole hertz
// (284) within the model's band (269), no other entry with it (287 or 385),
// bandwidth and power classes 0-3 (285, 286), a power class the model can
// select only when its transmit power is selectable (286), compander on (2)
// or off (3). Answers the message id, or 0.
function CheckFrequencyEntry(frequencies, position, frequency, bandwidth, power, compander, duplicateMessage)
{
    var hertz = WholeNumber(frequency);
    if (!InRange(hertz, 1, 4294967295))
        return MSG_INVALID_FREQUENCY;
    var limit = Limit(frequencies);
    if (!InBand(hertz, WholeBand(frequencies)))
        return MSG_FREQUENCY_NOT_SUPPORTED;
    for (var i = 0; i < frequencies.childCount(); ++i)
        if (i !== position && NumberOf(frequencies.child(i), "freq") === hertz)
            return duplicateMessage;
    if (!InRange(WholeNumber(bandwidth), 0, 3))
        return MSG_INVALID_BANDWIDTH;
    var powerClass = WholeNumber(power);
    if (!InRange(powerClass, 0, 3) || (powerClass >= 2 && !FlagOf(limit, "power_cntrl_enabled")))
        return MSG_INVALID_POWER_LEVEL;
    var mode = WholeNumber(compander);
    if (mode !== 2 && mode !== 3)
        return MSG_INVALID_VALUE;
    return 0;
}

// A 25 kHz-only frequency has no compander.
function CompanderFor(bandwidth, compander)
{
    return WholeNumber(bandwidth) === 1 ? 3 : WholeNumber(compander);
}

// A new entry at the end of the table, while the model has slots for it.
function AddNewFrequency(frequencies, frequency, bandwidth, power, compander, message, style)
{
    if (!CanAddFrequency(frequencies))
        return Refuse(message, MSG_INVALID_VALUE);
    var problem = CheckFrequencyEntry(frequencies, -1, frequency, bandwidth, power, compander,
                                      MSG_ADDED_FREQUENCY_EXISTS);
    if (problem !== 0)
        return Refuse(message, problem);
    var entry = frequencies.createElement("frequency");
    entry.setAttribute("freq", WholeNumber(frequency));
    entry.setAttribute("bandwidth", WholeNumber(bandwidth));
    entry.setAttribute("power_level", WholeNumber(power));
    entry.setAttribute("compander_lle_mode", CompanderFor(bandwidth, compander));
    frequencies.appendChild(entry);
    return DONE;
}

// Changing an entry passes the checks of a new one, and channels in use that
// receive or transmit on it must find the new frequency in their receive
// resp. transmit band (501, 502). When it changes the frequency or a class of
// an entry that channels use, the user is asked first (394, Yes/No); after Yes
// those channels take the new classes' defaults on the side that uses it.
function SetFrequencyAttributes(frequencies, index, frequency, bandwidth, power, compander, message, style, confirm)
{
    var position = WholeNumber(index);
    if (!InRange(position, 0, frequencies.childCount() - 1))
        return Refuse(message, MSG_INVALID_VALUE);
    var problem = CheckFrequencyEntry(frequencies, position, frequency, bandwidth, power, compander,
                                      MSG_EDITED_FREQUENCY_EXISTS);
    if (problem !== 0)
        return Refuse(message, problem);
    var hertz = WholeNumber(frequency);
    var users = ChannelsUsingFrequency(frequencies, position);
    for (var i = 0; i < users.length; ++i) {
        if (users[i].rx && !InBand(hertz, Band(frequencies, "rx")))
            return Refuse(message, MSG_OUT_OF_RECEIVE_RANGE);
        if (users[i].tx && !InBand(hertz, Band(frequencies, "tx")))
            return Refuse(message, MSG_OUT_OF_TRANSMIT_RANGE);
    }
    var entry = frequencies.child(position);
    var changesChannels = NumberOf(entry, "freq") !== hertz || NumberOf(entry, "bandwidth") !== WholeNumber(bandwidth)
                          || NumberOf(entry, "power_level") !== WholeNumber(power);
    if (changesChannels && users.length > 0 && confirm !== ANSWER_YES)
        return Ask(message, MSG_CHANNELS_USING_FREQUENCY_CHANGE, style);

    entry.setAttribute("freq", hertz);
    entry.setAttribute("bandwidth", WholeNumber(bandwidth));
    entry.setAttribute("power_level", WholeNumber(power));
    entry.setAttribute("compander_lle_mode", CompanderFor(bandwidth, compander));
    if (changesChannels) {
        for (var j = 0; j < users.length; ++j) {
            if (users[j].rx)
                TakeFrequencyDefaults(users[j].channel, "rx", entry);
            if (users[j].tx)
                TakeFrequencyDefaults(users[j].channel, "tx", entry);
        }
    }
    return DONE;
}

// An entry that a channel in use receives or transmits on stays.
function CanDeleteFrequency(frequencies, index)
{
    var position = WholeNumber(index);
    if (!InRange(position, 0, frequencies.childCount() - 1))
        return false;
    return ChannelsUsingFrequency(frequencies, position).length === 0;
}

// Removing an entry moves the entries after it one place up: every channel
// slot's rx_freq_ndx and tx_freq_ndx after it moves with them, so each channel
// keeps its frequencies. An unused slot that pointed at the removed entry
// points at the first one. An entry in use is refused (288).
function DeleteFrequency(frequency, index, message, confirm, style)
{
    var frequencies = frequency.parentNode;
    var position = frequency.index;
    if (ChannelsUsingFrequency(frequency, position).length > 0)
        return Refuse(message, MSG_FREQUENCY_USED_BY_CHANNEL);
    frequencies.removeChild(frequency);
    var channels = Channels(frequencies).children();
    var sides = ["rx_freq_ndx", "tx_freq_ndx"];
    for (var i = 0; i < channels.length; ++i) {
        for (var s = 0; s < sides.length; ++s) {
            var used = NumberOf(channels[i], sides[s]);
            if (used > position)
                channels[i].setAttribute(sides[s], used - 1);
            else if (used === position)
                channels[i].setAttribute(sides[s], 0);
        }
    }
    return DONE;
}

// ===== radio-wide settings ==================================================

// A function may be on one button only; "no function" (0) on any number of
// them. Codes are 0-15.
function SetButtonFunction(setting, attribute, value, message, confirm, style)
{
    if (attribute === null || BUTTONS.indexOf(attribute.nodeName) < 0)
        return Refuse(message, MSG_INVALID_VALUE);
    var code = WholeNumber(value);
    if (!InRange(code, 0, 15))
        return Refuse(message, MSG_INVALID_VALUE);
    if (code !== NO_FUNCTION)
        for (var i = 0; i < BUTTONS.length; ++i)
            if (BUTTONS[i] !== attribute.nodeName && NumberOf(setting, BUTTONS[i]) === code)
                return Refuse(message, MSG_FEATURE_ON_TWO_BUTTONS);
    setting.setAttribute(attribute.nodeName, code);
    return DONE;
}

// The codeplug password: four digits, or empty for none.
function SetPassword(setting, attribute, value, message, confirm, style)
{
    var password = Text(value);
    if (attribute === null || !/^([0-9]{4})?$/.test(password))
        return Refuse(message, MSG_INVALID_VALUE);
    setting.setAttribute(attribute.nodeName, password);
    return DONE;
}

// The power-up text: what the display can show, at most 8 characters, blanks
// around it dropped; it may be empty.
function SetPowerUpText(setting, attribute, value, message, confirm, style)
{
    var text = Text(value).trim();
    if (attribute === null || text.length > DISPLAY_TEXT_LENGTH || !ConsistsOf(text, DISPLAY_CHARACTERS))
        return Refuse(message, MSG_POWER_UP_TEXT_CHARACTERS);
    setting.setAttribute(attribute.nodeName, text);
    return DONE;
}

// The repeater's station identification: letters and digits, at most 9; it
// may be empty.
function SetStationID(setting, attribute, value, message, confirm, style)
{
    var text = Text(value).trim();
    if (attribute === null || text.length > STATION_ID_LENGTH || !/^[A-Za-z0-9]*$/.test(text))
        return Refuse(message, MSG_STATION_ID_CHARACTERS);
    setting.setAttribute(attribute.nodeName, text);
    return DONE;
}

// A whole number within a range, stored as such; otherwise the message.
function SetNumberInRange(setting, attribute, value, low, high, messageId, message)
{
    var number = WholeNumber(value);
    if (attribute === null || !InRange(number, low, high))
        return Refuse(message, messageId);
    setting.setAttribute(attribute.nodeName, number);
    return DONE;
}

// The repeater's transmit hang time: 0-50 seconds.
function SetHangTime(setting, attribute, value, message, confirm, style)
{
    return SetNumberInRange(setting, attribute, value, 0, 50, MSG_HANG_TIME_RANGE, message);
}

// The repeater's transmit time on a low battery: 0-255 minutes.
function SetLowBatteryTime(setting, attribute, value, message, confirm, style)
{
    return SetNumberInRange(setting, attribute, value, 0, 255, MSG_LOW_BATTERY_TIME_RANGE, message);
}

// A customised PL tone: 67.0-255.0 Hz, stored in tenths of a hertz.
function SetCustomPL(setting, attribute, value, message, confirm, style)
{
    return SetNumberInRange(setting, attribute, value, 670, 2550, MSG_CUSTOM_PL_RANGE, message);
}

// A customised DPL code: octal 001-777.
function SetCustomDPL(setting, attribute, value, message, confirm, style)
{
    return SetNumberInRange(setting, attribute, value, 1, 511, MSG_CUSTOM_DPL_RANGE, message);
}
