#!/usr/bin/env python3
"""Checks the profile schema, the profile templates and the profile fixtures.

  tools/check_profiles.py [--installation DIR] [--fixtures DIR] [--summary]

Looks at profiletemplate/DataProfile.xsd, every templates/*.xml and the
setting documents in lib/ below the installation folder, and at every
profile_v*.xml in the fixture folder (default tests/data).

- Schema: the rule-script hooks in its annotations are exactly the hook
  list in its opening comment, each of a kind the program asks for, and a
  handful of broken profiles are refused while a profile without channels,
  frequencies or optional parts is accepted.
- Templates: plain UTF-8 text with the XML declaration; valid against the
  schema (through xmllint); codeplug version of the installation; a model
  code of a supported region whose display letter, band digit and tier
  match the limits; one channel element per channel slot, all in use;
  frequencies in the band and encodable with synth_base_int_part; channel
  indices in range; unique channel names; customised codes present exactly
  when maxCodes asks for them; repeater settings exactly on repeater
  models; default button functions that the buttons form can show; values
  that the forms' lists can show; a file name that ends in the model code;
  and a profile file written by make_profile_file.py reads back unchanged.
- Fixtures: a profile of an older codeplug version lacks every field that
  its version lacks, fails the schema as it is, and after the migration of
  lib/UpDownGradeSetting.stv (loaded as text, and loaded as a new profile
  from a path) validates and passes the same model checks; taking the
  migration's additions off gives the file back.

Exit status 0 when clean, 1 when a problem was found.
"""

import argparse
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_profile_file  # noqa: E402

NS = "http://www.velmora.com/TarnCPS/DataProfile"
XS = "http://www.w3.org/2001/XMLSchema"
CCPS = "http://www.velmora.com/TarnCPS/SchemaExtension"
DECLARATION = '<?xml version="1.0" encoding="utf-8"?>'

# Hook kinds the program looks up, and where: "element" hooks sit on element
# declarations, "attribute" hooks on attribute declarations.
HOOK_KINDS = {
    "SetVal": "attribute", "CanAddChild": "element", "OnAddNew": "element",
    "OnDelete": "element", "CanDeleteChild": "element",
    "OnAddNewFrequency": "element", "SetFreqAttr": "element",
}

PROFILE_CHILDREN = ["factory_setting", "limit", "setting", "channels",
                    "frequencies"]
PL_CODES = ["PLcode%d" % c for c in range(124, 130)]
DPL_CODES = ["PLcode%d" % c for c in range(214, 220)]
REPEATER_SETTINGS = ["courtesy_over", "onbatt_alert", "rep_hangtime",
                     "rep_id_mode", "stationID", "low_battery_tx"]
BAND_EDGES = ["rx_start_freq", "rx_end_freq", "tx_start_freq", "tx_end_freq"]
BUTTONS = ["side1_but", "side2_but", "upper_right_but", "lower_left_but",
           "lower_right_but"]

# Bands by the first model digit: edges in Hz.
BANDS = {"4": ("VHF", 136000000, 174000000), "5": ("UHF", 400000000, 470000000)}

# The radio's frequency record holds N - synth_base_int_part in seven bits;
# N = f / 1 050 000, truncated.
SYNTH_STEP = 1050000
SYNTH_OFFSET_MAX = 127

# Characters the rule script accepts in channel names and the power-up text.
NAME_CHARS = set("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789bcdghliour*{}?&%.+/\\-'")

SERIAL = re.compile(r"^[0-9]{3}[A-NP-Z][A-HJ-NP-Z]{2}[0-9A-Z][0-9]"
                    r"[0-9A-HJ-NP-Z]{2}$")
MODEL = re.compile(r"^[A-Z]{2}[DR][45][0-9]{4}$")
NUMBER = re.compile(r"^(0|[1-9][0-9]*)$")

# Values the forms' lists can show.
SHOWN_VALUES = {
    "timeoutTimer": {60, 120, 180},
    "vox_level": {0, 1, 2, 3},
    "ivol_level": {0, 1, 2},
    "microphoneGain": {0, 1, 2},
    "accessoryMicrophoneGain": {0, 1, 2},
    "voice_language": {0, 1, 2, 7},
}


def q(name, ns=NS):
    return "{%s}%s" % (ns, name)


def local(tag):
    return tag.rsplit("}", 1)[-1]


class Problems:
    def __init__(self):
        self.items = []

    def add(self, where, text):
        self.items.append("%s: %s" % (where, text))


# -- setting documents -------------------------------------------------------

class Installation:
    def __init__(self, folder, problems):
        self.folder = folder
        self.problems = problems
        region = self.parse("lib/Region.stv")
        self.region = region.find(q("Region")).get("name")
        self.support = {c.get("num") for c in region.iter(q("Code"))}
        self.cpversion = int(region.find(q("CPVersion")).text.strip())
        updown = self.parse("lib/UpDownGradeSetting.stv")
        self.versions = list(updown.find(q("CodePlugSetting")))
        buttons = self.parse("lib/ButtonList.stv").find(q(self.region))
        self.button_groups = {
            group: [(int(e.get("Value")), e.get("DependName"),
                     int(e.get("DependType")) != 0)
                    for e in buttons.find(q(group))]
            for group in ("COMMON", "DISPLAY", "NONDISPLAY", "PREBUTTON")}
        self.schema_path = os.path.join(folder, "profiletemplate",
                                        "DataProfile.xsd")

    def parse(self, relative):
        return ET.parse(os.path.join(self.folder, relative)).getroot()

    # The migration: which entries a profile of version v gains.
    def added_fields(self, v):
        def entries(version, part, exist):
            block = version.find(q(part))
            return [] if block is None else [
                e for e in block if e.get("isExist") == exist]

        keep = []
        if 1 <= v <= len(self.versions):
            keep = list(entries(self.versions[v - 1], self.region, "1"))
            for entry in entries(self.versions[v - 1], "RegionCommon", "1"):
                if all(k.get("name") != entry.get("name") for k in keep):
                    keep.append(entry)
        added = []
        for i in range(len(self.versions) - 1, 0, -1):
            exist = "0" if v == i + 1 else "1"
            for part in (self.region, "RegionCommon"):
                for entry in entries(self.versions[i], part, exist):
                    name = entry.get("name")
                    if all(e.get("name") != name for e in added + keep):
                        added.append(entry)
        return added


def elements_named(root, name):
    return [e for e in root.iter() if local(e.tag) == name]


def apply_migration(root, added, from_path):
    for entry in added:
        kind = local(entry.tag)
        if kind == "CPField":
            replaceby = entry.get("replaceby") or ""
            for element in elements_named(root, entry.get("nodename")):
                value = entry.get("defaulvalue")
                if replaceby and element.get(replaceby):
                    value = element.get(replaceby)
                element.set(entry.get("name"), value)
        elif kind == "CPTag" and from_path:
            for element in elements_named(root, entry.get("parentNode")):
                ET.SubElement(element, q(entry.get("name")))


def take_off(root, added):
    for entry in added:
        kind = local(entry.tag)
        if kind == "CPField":
            for element in elements_named(root, entry.get("nodename")):
                element.attrib.pop(entry.get("name"), None)
        elif kind == "CPTag":
            for element in elements_named(root, entry.get("parentNode")):
                for child in list(element):
                    if local(child.tag) == entry.get("name"):
                        element.remove(child)


def same_tree(a, b):
    return (a.tag == b.tag and a.attrib == b.attrib and len(a) == len(b)
            and all(same_tree(x, y) for x, y in zip(a, b)))


# -- the schema --------------------------------------------------------------

class Schema:
    """Declarations and hooks of DataProfile.xsd."""

    def __init__(self, path, problems):
        self.path = path
        self.problems = problems
        self.where = "profiletemplate/DataProfile.xsd"
        with open(path, encoding="utf-8") as f:
            self.text = f.read()
        self.root = ET.fromstring(self.text)
        self.attributes = {}   # element name -> [(attribute, type, use)]
        self.hooks = {}        # (declaration, kind) -> function
        self.placed = 0        # extensions found in declarations' annotations
        self.declared = []     # element declaration names, in document order
        # named simple types and the built-in type each restricts
        self.bases = {t.get("name"): t.find(q("restriction", XS)).get("base")
                      for t in self.root.findall(q("simpleType", XS))}
        self.walk(self.root, None)
        self.check_types()
        total = len(list(self.root.iter(q("SchemaExtension", CCPS))))
        if total != self.placed:
            problems.add(self.where, "%d SchemaExtension element(s) outside "
                         "xs:annotation/xs:appinfo of an element or "
                         "attribute declaration"
                         % (total - self.placed))

    def walk(self, node, element):
        for child in node:
            tag = local(child.tag)
            if child.tag == q("element", XS):
                name = child.get("name")
                if name in self.declared:
                    self.problems.add(self.where, "element %s is declared twice; "
                                      "the program finds declarations by name" % name)
                self.declared.append(name)
                self.attributes.setdefault(name, [])
                self.read_hooks(child, name, "element")
                self.walk(child, name)
            elif child.tag == q("attribute", XS):
                declaration = "%s/@%s" % (element, child.get("name"))
                self.attributes[element].append(
                    (child.get("name"), child.get("type"),
                     child.get("use", "optional")))
                self.read_hooks(child, declaration, "attribute")
            elif tag == "annotation":
                continue
            else:
                self.walk(child, element)

    def read_hooks(self, declaration_node, declaration, kind):
        for appinfo in declaration_node.findall(
                q("annotation", XS) + "/" + q("appinfo", XS)):
            for ext in appinfo.findall(q("SchemaExtension", CCPS)):
                for hook, function in ext.attrib.items():
                    if hook not in HOOK_KINDS:
                        self.problems.add(self.where, "%s: unknown hook kind %s"
                                          % (declaration, hook))
                    elif HOOK_KINDS[hook] != kind:
                        self.problems.add(self.where, "%s: hook %s belongs on "
                                          "an %s declaration" % (
                                              declaration, hook, HOOK_KINDS[hook]))
                    self.hooks[(declaration, hook)] = function
                self.placed += 1

    def comment_hooks(self):
        match = re.search(r"Hook list \(declaration, hook kind, function\):\n"
                          r"((?:    \S+ +\S+ +\S+\n)+)", self.text)
        if match is None:
            self.problems.add(self.where, "no hook list in the opening comment")
            return {}
        listed = {}
        for line in match.group(1).splitlines():
            declaration, kind, function = line.split()
            if (declaration, kind) in listed:
                self.problems.add(self.where, "hook list names %s %s twice"
                                  % (declaration, kind))
            listed[(declaration, kind)] = function
        return listed

    def check_hooks(self):
        listed = self.comment_hooks()
        for key in sorted(set(listed) | set(self.hooks)):
            if key not in self.hooks:
                self.problems.add(self.where, "hook list names %s %s=%s, which "
                                  "no annotation carries" % (key[0], key[1],
                                                              listed[key]))
            elif key not in listed:
                self.problems.add(self.where, "annotation %s %s=%s is missing "
                                  "from the hook list" % (key[0], key[1],
                                                          self.hooks[key]))
            elif listed[key] != self.hooks[key]:
                self.problems.add(self.where, "%s %s: the hook list says %s, "
                                  "the annotation %s" % (key[0], key[1],
                                                         listed[key], self.hooks[key]))
        for (declaration, _), function in self.hooks.items():
            if not re.match(r"^[A-Za-z_][A-Za-z0-9_]*$", function):
                self.problems.add(self.where, "%s: %r is not a function name"
                                  % (declaration, function))

    def base(self, type_name):
        """The built-in type an attribute's type comes down to."""
        return self.bases.get(type_name, type_name)

    def check_types(self):
        # the program reads typed values as long, boolean or unsignedLong and
        # everything else as text
        for name, base in self.bases.items():
            if base not in ("xs:unsignedLong", "xs:long", "xs:string"):
                self.problems.add(self.where, "simple type %s restricts %s, not "
                                  "xs:unsignedLong, xs:long or xs:string"
                                  % (name, base))
        for element, attributes in self.attributes.items():
            for attribute, type_name, _ in attributes:
                if self.base(type_name) not in ("xs:unsignedLong", "xs:long",
                                                "xs:boolean", "xs:string"):
                    self.problems.add(self.where, "%s/@%s has type %s"
                                      % (element, attribute, type_name))

    def booleans(self, element):
        return [a for a, t, _ in self.attributes.get(element, [])
                if self.base(t) == "xs:boolean"]

    def numbers(self, element):
        return [a for a, t, _ in self.attributes.get(element, [])
                if self.base(t) in ("xs:unsignedLong", "xs:long")]

    def order(self, element):
        return [a for a, _, _ in self.attributes.get(element, [])]


class Validator:
    def __init__(self, schema_path, folder):
        self.schema_path = schema_path
        self.folder = folder
        self.count = 0
        self.xmllint = shutil.which("xmllint")

    def validate(self, text):
        """(valid, message) from xmllint for a profile text."""
        self.count += 1
        path = os.path.join(self.folder, "profile%d.xml" % self.count)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        result = subprocess.run(
            [self.xmllint, "--noout", "--schema", self.schema_path, path],
            capture_output=True, text=True)
        message = " ".join(line.split(": ", 1)[-1] for line in
                           result.stderr.strip().splitlines()
                           if not line.endswith(("validates",
                                                 "fails to validate")))
        return result.returncode == 0, message


def serialise(root):
    ET.register_namespace("", NS)
    return DECLARATION + "\n" + ET.tostring(root, encoding="unicode") + "\n"


# Broken profiles the schema must refuse, as changes to a complete profile.
def _remove_attr(element, attribute):
    def change(root):
        root.find(q(element)).attrib.pop(attribute)
    return change


def _set_attr(path, attribute, value):
    def change(root):
        root.find(path).set(attribute, value)
    return change


def _remove_channel_attr(attribute):
    def change(root):
        root.find(q("channels") + "/" + q("channel")).attrib.pop(attribute)
    return change


def _add_child(path, name, position=None):
    def change(root):
        parent = root.find(path)
        child = ET.Element(q(name), {"channel": "0"} if name == "preset" else {})
        if position is None:
            parent.append(child)
        else:
            parent.insert(position, child)
    return change


MUST_REFUSE = [
    ("without limit/@voice_chip_enable", _remove_attr("limit", "voice_chip_enable")),
    ("without setting/@accessoryMicrophoneGain",
     _remove_attr("setting", "accessoryMicrophoneGain")),
    ("a channel without disable_channel",
     _remove_channel_attr("disable_channel")),
    ("three presets", _add_child(q("setting"), "preset", 2)),
    ("voice_prompts before the presets", _add_child(q("setting"), "voice_prompts", 0)),
    ("an unknown attribute", _set_attr(q("limit"), "max_zones", "1")),
    ("a channel name of nine characters",
     _set_attr(q("channels") + "/" + q("channel"), "name", "CHANNEL10")),
    ("maxChannels 20", _set_attr(q("limit"), "maxChannels", "20")),
    ("max_valid_freqs 100", _set_attr(q("limit"), "max_valid_freqs", "100")),
    ("a password of three digits", _set_attr(q("setting"), "password", "123")),
    ("a password with a letter", _set_attr(q("setting"), "password", "12a4")),
    ("a button code of 16", _set_attr(q("setting"), "side1_but", "16")),
    ("a bandwidth class of 4",
     _set_attr(q("frequencies") + "/" + q("frequency"), "bandwidth", "4")),
    ("a boolean of 2", _set_attr(q("limit"), "disable_vox_feature", "2")),
    ("a model of nine characters", _set_attr(q("factory_setting"), "model", "ZRD516100")),
    ("a firmware phase of two characters",
     _set_attr(q("factory_setting"), "firmware_phase", "RR")),
    ("a negative frequency",
     _set_attr(q("frequencies") + "/" + q("frequency"), "freq", "-1")),
    ("a hang time of 51", _set_attr(q("setting"), "rep_hangtime", "51")),
    ("a station id with a blank", _set_attr(q("setting"), "stationID", "RPT 1")),
]


def _strip_optional(root):
    setting = root.find(q("setting"))
    for child in list(setting):
        if local(child.tag) == "voice_prompts":
            setting.remove(child)
    for name in PL_CODES + DPL_CODES + REPEATER_SETTINGS:
        setting.attrib.pop(name, None)
    for name in BAND_EDGES:
        root.find(q("limit")).attrib.pop(name, None)
    root.find(q("factory_setting")).attrib.pop("sub_region", None)
    for name in ("channels", "frequencies"):
        element = root.find(q(name))
        for child in list(element):
            element.remove(child)
    setting.set("numberChannels", "0")


def check_schema_strictness(schema, validator, template_texts, problems):
    """The schema refuses broken profiles and accepts a minimal one."""
    full = [t for t in template_texts
            if 'stationID="' in t and 'PLcode219="' in t]
    if not full:
        problems.add(schema.where, "no template carries both the repeater "
                     "settings and the customised codes; strictness not tested")
        return
    for label, change in MUST_REFUSE:
        root = ET.fromstring(full[0])
        change(root)
        valid, _ = validator.validate(serialise(root))
        if valid:
            problems.add(schema.where, "accepts a profile with %s" % label)
    root = ET.fromstring(full[0])
    _strip_optional(root)
    valid, message = validator.validate(serialise(root))
    if not valid:
        problems.add(schema.where, "refuses a profile without channels, "
                     "frequencies and optional parts: %s" % message)


# -- one profile -------------------------------------------------------------

def number(element, name):
    return int(element.get(name))


def flag(element, name):
    return element.get(name) == "1"


def offered_codes(install, limit, display, limited_group):
    """Function codes a button list offers (side buttons: no model or preset
    entries; buttons A, B and C: all three groups)."""
    def listed(entries, limit_count=None):
        if limit_count is not None:
            entries = entries[:limit_count]
        for code, depend, sense in entries:
            if code == 0:
                continue
            if depend == "none":
                yield code
                continue
            holds = flag(limit, depend) == sense
            if holds and not (code == 3 and number(limit, "max_call_tones") <= 0):
                yield code

    groups = install.button_groups
    codes = set(listed(groups["COMMON"]))
    if limited_group:
        codes |= set(listed(groups["DISPLAY" if display else "NONDISPLAY"]))
        codes |= set(listed(groups["PREBUTTON"], number(limit, "maxPresetButtons")))
    codes.add(groups["COMMON"][-1][0])
    return codes


def check_text_form(where, raw, problems):
    if raw.startswith(b"\xef\xbb\xbf"):
        problems.add(where, "starts with a byte-order mark")
        return None
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError as error:
        problems.add(where, "not UTF-8: %s" % error)
        return None
    if not text.startswith(DECLARATION):
        problems.add(where, "does not begin with %s" % DECLARATION)
    if "<!DOCTYPE" in text:
        problems.add(where, "carries a DOCTYPE")
    body = text[len(DECLARATION):]
    if "<!--" in body or "<?" in body:
        # the program counts every child node, comments included
        problems.add(where, "holds a comment or processing instruction")
    return text


def check_profile(where, root, install, schema, problems, template):
    """Model rules and value checks on a profile carrying every field; a
    profile that lacks one is reported rather than checked further."""
    try:
        return model_rules(where, root, install, schema, problems, template)
    except (TypeError, ValueError, KeyError, IndexError) as error:
        problems.add(where, "cannot check the model rules (a field is missing "
                     "or malformed: %s)" % error)
        return None


def model_rules(where, root, install, schema, problems, template):
    def fail(text):
        problems.add(where, text)

    if root.tag != q("TarnProfile"):
        fail("the root is not TarnProfile in the profile namespace")
        return
    children = [local(c.tag) for c in root]
    if children != PROFILE_CHILDREN:
        fail("root children %s" % children)
        return
    factory, limit, setting, channels, frequencies = list(root)
    elements = [("factory_setting", factory), ("limit", limit),
                ("setting", setting)]
    elements += [("preset", p) for p in setting.findall(q("preset"))]
    elements += [("channel", c) for c in channels]
    elements += [("frequency", f) for f in frequencies]
    for name, element in elements:
        for attr in schema.booleans(name):
            if attr in element.attrib and element.get(attr) not in ("0", "1"):
                fail("%s/@%s is %r; the program writes only 0 and 1"
                     % (name, attr, element.get(attr)))
        for attr in schema.numbers(name):
            if attr in element.attrib and not NUMBER.match(element.get(attr)):
                fail("%s/@%s is %r, not a plain decimal number"
                     % (name, attr, element.get(attr)))
        for attr, value in element.attrib.items():
            if value != value.strip():
                fail("%s/@%s has surrounding blanks" % (name, attr))

    # identity
    model = factory.get("model")
    if not MODEL.match(model):
        fail("model %r is not two letters, D or R, band digit 4 or 5 and "
             "four more digits" % model)
        return
    display = model[2] == "D"
    band_name, band_start, band_end = BANDS[model[3]]
    tier = int(model[4:6])
    region = model[6:8]
    repeater_model = region in ("70", "73")
    if region not in install.support:
        fail("region %s of %s is not supported by this installation"
             % (region, model))
    version = number(factory, "codeplug_version")
    if template and version != install.cpversion:
        fail("codeplug_version %d, the installation's is %d"
             % (version, install.cpversion))
    if not template and not 1 <= version < install.cpversion:
        fail("codeplug_version %d is not an older version" % version)
    for attr in ("firmware_phase", "codeplug_phase"):
        if not factory.get(attr).isalpha():
            fail("%s %r is not a letter" % (attr, factory.get(attr)))
    if not SERIAL.match(factory.get("serial")):
        fail("serial %r does not pass the radio's serial check"
             % factory.get("serial"))

    # band and frequency encoding
    start, end = number(limit, "start_freq"), number(limit, "end_freq")
    if (start, end) != (band_start, band_end):
        fail("band %d-%d Hz, a %s model (digit %s) has %d-%d"
             % (start, end, band_name, model[3], band_start, band_end))
    synth = number(factory, "synth_base_int_part")
    for hz in (start, end):
        offset = hz // SYNTH_STEP - synth
        if not 0 <= offset <= SYNTH_OFFSET_MAX:
            fail("%d Hz cannot be encoded with synth_base_int_part %d "
                 "(divider offset %d)" % (hz, synth, offset))
    edges = [a for a in BAND_EDGES if a in limit.attrib]
    if edges and len(edges) != 4:
        fail("limit carries %s but not all four receive/transmit edges" % edges)
    rx_band = tx_band = (start, end)
    if len(edges) == 4:
        rx_band = (number(limit, "rx_start_freq"), number(limit, "rx_end_freq"))
        tx_band = (number(limit, "tx_start_freq"), number(limit, "tx_end_freq"))
        for label, (lo, hi) in (("receive", rx_band), ("transmit", tx_band)):
            if not start <= lo < hi <= end:
                fail("%s edges %d-%d not inside the band" % (label, lo, hi))

    # slots
    max_channels = number(limit, "maxChannels")
    number_channels = number(setting, "numberChannels")
    if max_channels != tier:
        fail("maxChannels %d, the model's tier is %d" % (max_channels, tier))
    if template and len(channels) != max_channels:
        fail("%d channel elements for %d slots" % (len(channels), max_channels))
    if template and number_channels != max_channels:
        fail("numberChannels %d, a new profile uses all %d slots"
             % (number_channels, max_channels))
    if not number_channels <= min(len(channels), max_channels):
        fail("numberChannels %d with %d channel elements and %d slots"
             % (number_channels, len(channels), max_channels))
    if not 1 <= len(frequencies) <= number(limit, "max_valid_freqs"):
        fail("%d frequency elements, max_valid_freqs %s"
             % (len(frequencies), limit.get("max_valid_freqs")))
    seen_hz = {}
    for position, frequency in enumerate(frequencies):
        hz = number(frequency, "freq")
        if hz in seen_hz:
            fail("frequency %d: %d Hz is already frequency %d"
                 % (position + 1, hz, seen_hz[hz] + 1))
        seen_hz.setdefault(hz, position)
        if not start <= hz <= end:
            fail("frequency %d: %d Hz outside the band" % (position + 1, hz))
        bandwidth = number(frequency, "bandwidth")
        compander = number(frequency, "compander_lle_mode")
        if compander not in (2, 3):
            fail("frequency %d: compander_lle_mode %d is neither on (2) nor "
                 "off (3)" % (position + 1, compander))
        if bandwidth == 1 and compander != 3:
            fail("frequency %d: 25 kHz only needs the compander off"
                 % (position + 1))

    # codes
    max_codes = number(limit, "maxCodes")
    for codes, threshold, label in ((PL_CODES, 122, "PL"), (DPL_CODES, 213, "DPL")):
        present = [c for c in codes if c in setting.attrib]
        if max_codes > threshold and len(present) != len(codes):
            fail("maxCodes %d needs the six customised %s codes, has %s"
                 % (max_codes, label, present))
        if max_codes <= threshold and present:
            fail("maxCodes %d, yet customised %s codes %s"
                 % (max_codes, label, present))
    for c in PL_CODES:
        if c in setting.attrib and not 670 <= number(setting, c) <= 2550:
            fail("%s %s is not a tone of 67.0-255.0 Hz" % (c, setting.get(c)))
    for c in DPL_CODES:
        if c in setting.attrib and not 1 <= number(setting, c) <= 0o777:
            fail("%s %s is not a DPL code of 001-777 (octal)" % (c, setting.get(c)))

    # repeater operation
    repeater_settings = [a for a in REPEATER_SETTINGS if a in setting.attrib]
    if repeater_model and len(repeater_settings) != len(REPEATER_SETTINGS):
        fail("repeater model without repeater settings %s"
             % sorted(set(REPEATER_SETTINGS) - set(repeater_settings)))
    if not repeater_model and repeater_settings:
        fail("repeater settings %s on a model that is no repeater"
             % repeater_settings)
    no_repeater = flag(limit, "disable_repeater_feature")
    if repeater_model and no_repeater:
        fail("repeater model with disable_repeater_feature 1")

    # channels
    names = []
    for position, channel in enumerate(channels):
        label = "channel %d (%s)" % (position + 1, channel.get("name"))
        name = channel.get("name")
        in_use = position < number_channels
        if in_use or template:
            if not name:
                fail("%s: empty name" % label)
            elif not set(name) <= NAME_CHARS:
                fail("%s: characters the name rules refuse: %s"
                     % (label, "".join(sorted(set(name) - NAME_CHARS))))
            names.append(name)
        sides = {}
        for side in ("rx", "tx"):
            index = number(channel, side + "_freq_ndx")
            if index >= len(frequencies):
                fail("%s: %s_freq_ndx %d, only %d frequencies"
                     % (label, side, index, len(frequencies)))
                continue
            sides[side] = frequencies[index]
            hz = number(frequencies[index], "freq")
            lo, hi = rx_band if side == "rx" else tx_band
            if in_use and not lo <= hz <= hi:
                fail("%s: %s frequency %d Hz outside %d-%d" % (label, side, hz, lo, hi))
        for side in ("rx", "tx"):
            code = number(channel, side + "_code")
            if code > min(max_codes, 219):
                fail("%s: %s_code %d above maxCodes %d" % (label, side, code, max_codes))
        repeater = flag(channel, "repeater")
        if no_repeater:
            if repeater:
                fail("%s: repeater 1 on a model without repeater operation" % label)
            for a, b in (("tx_freq_ndx", "rx_freq_ndx"), ("tx_code", "rx_code"),
                         ("tx_bw", "rx_bw")):
                if channel.get(a) != channel.get(b):
                    fail("%s: %s differs from %s on a model without repeater "
                         "operation" % (label, a, b))
        if repeater and channel.get("rx_freq_ndx") == channel.get("tx_freq_ndx"):
            fail("%s: a repeater channel with equal receive and transmit "
                 "frequency" % label)
        checks = [("rx", "rx_bw", "bandwidth"), ("rx", "talkaround_power", "power_level")]
        if repeater:
            checks += [("tx", "tx_bw", "bandwidth"), ("tx", "repeater_power", "power_level")]
        for side, attr, cls in checks:
            if side in sides:
                fixed = number(sides[side], cls)
                if fixed in (0, 1) and number(channel, attr) != fixed:
                    fail("%s: %s %s, the frequency allows only %d"
                         % (label, attr, channel.get(attr), fixed))
        if number(channel, "scramble_code") > 3:
            fail("%s: scramble_code %s" % (label, channel.get("scramble_code")))
        if flag(limit, "disable_scramble_feature") and channel.get("scramble_code") != "0":
            fail("%s: a scramble code on a model without scrambling" % label)
        if template and flag(channel, "disable_channel"):
            fail("%s: disabled in a template" % label)
        if flag(channel, "talkaround_scan") and not flag(limit, "talkaround_scan_enable"):
            fail("%s: talkaround scan on a model without it" % label)
    duplicates = sorted({n for n in names if names.count(n) > 1})
    if duplicates:
        fail("channel names used twice: %s" % duplicates)

    # presets
    for index, preset in enumerate(setting.findall(q("preset"))):
        target = number(preset, "channel")
        if target >= number_channels:
            fail("preset %d selects channel position %d of %d in use"
                 % (index + 1, target, number_channels))
        elif flag(channels[target], "disable_channel"):
            fail("preset %d selects a disabled channel" % (index + 1))

    # buttons
    codes = [number(setting, b) for b in BUTTONS]
    defaults = [7, 4, 9, 10, 11] if display else [7, 4, 3, 9, 10]
    if template and codes != defaults:
        fail("buttons %s, the defaults of this model are %s" % (codes, defaults))
    for button, code in zip(BUTTONS, codes):
        offered = offered_codes(install, limit, display,
                                button not in ("side1_but", "side2_but"))
        if code not in offered:
            fail("%s holds function %d, which the buttons form does not offer "
                 "on this model (offered %s)" % (button, code, sorted(offered)))
    used = [c for c in codes if c != 0]
    if len(used) != len(set(used)):
        fail("one function on several buttons: %s" % codes)

    # values the forms can show
    for attr, allowed in SHOWN_VALUES.items():
        if number(setting, attr) not in allowed:
            fail("%s %s is not one of %s" % (attr, setting.get(attr), sorted(allowed)))
    if number(setting, "callTone") > number(limit, "max_call_tones"):
        fail("callTone %s above max_call_tones %s"
             % (setting.get("callTone"), limit.get("max_call_tones")))
    backlight = number(setting, "backlight_timeout")
    if flag(setting, "backlight_enabled") and backlight not in (5, 10):
        fail("backlight on with backlight_timeout %d (5 or 10)" % backlight)
    if not flag(setting, "backlight_enabled") and backlight != 0:
        fail("backlight off with backlight_timeout %d" % backlight)
    text = setting.get("powerupString")
    if not set(text) <= NAME_CHARS:
        fail("powerupString %r has characters the rules refuse" % text)
    return dict(model=model, display=display, band=band_name, tier=tier,
                region=region, repeater=repeater_model, channels=len(channels),
                in_use=number_channels, frequencies=len(frequencies),
                max_freqs=number(limit, "max_valid_freqs"), max_codes=max_codes,
                synth=synth, no_repeater=no_repeater,
                voice=flag(limit, "voice_chip_enable"))


def check_order(where, root, schema, problems):
    """Attributes appear in the order the program itself writes them."""
    for element in root.iter():
        name = local(element.tag)
        order = schema.order(name)
        present = [a for a in element.attrib]
        expected = [a for a in order if a in element.attrib]
        if present != expected:
            problems.add(where, "%s attributes out of order: %s" % (name, present))


def check_profile_file(where, text, problems):
    data = make_profile_file.encode(text)
    if data[:2] != b"\xff\xfe" or data[3] != 0:
        problems.add(where, "the profile file does not start FF FE ?? 00")
    if make_profile_file.decode(data) != text:
        problems.add(where, "the profile file does not read back as the text")


def check_tool(problems):
    """make_profile_file.py keeps U+009B and high bytes, and undoes itself."""
    text = DECLARATION + "<a b=\"\u009b\u0141\u00e9\"/>"
    data = make_profile_file.encode(text)
    units = [data[i] | (data[i + 1] << 8) for i in range(2, len(data), 2)]
    if 0x009B not in units or 0x0141 ^ 0x9B not in units:
        problems.add("tools/make_profile_file.py",
                     "U+009B or a character above U+00FF is not kept as it should")
    if make_profile_file.decode(data) != text:
        problems.add("tools/make_profile_file.py", "scrambled text does not read back")
    plain = b"\xff\xfe" + "<?XML version='1.0'?><a/>".encode("utf-16-le")
    if make_profile_file.decode(plain) != "<?XML version='1.0'?><a/>":
        problems.add("tools/make_profile_file.py",
                     "a plain UTF-16 file is not taken as plain")
    eight = bytes(b ^ 0x9B for b in b"<?xml?><a/>")
    if make_profile_file.decode(eight) != "<?xml?><a/>":
        problems.add("tools/make_profile_file.py",
                     "an 8-bit scrambled file does not read back")


# -- driver ------------------------------------------------------------------

def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--installation",
                        default=os.path.join(here, "..", "installation"))
    parser.add_argument("--fixtures",
                        default=os.path.join(here, "..", "tests", "data"))
    parser.add_argument("--summary", action="store_true",
                        help="print the key figures of every template")
    args = parser.parse_args()

    problems = Problems()
    install = Installation(os.path.normpath(args.installation), problems)
    schema = Schema(install.schema_path, problems)
    schema.check_hooks()
    check_tool(problems)
    if shutil.which("xmllint") is None:
        print("xmllint not found (package libxml2-utils); cannot validate")
        return 1

    summaries = []
    with tempfile.TemporaryDirectory() as folder:
        validator = Validator(install.schema_path, folder)

        templates = sorted(glob.glob(os.path.join(install.folder, "templates",
                                                  "*.xml")))
        if len(templates) < 5:
            problems.add("templates", "only %d templates" % len(templates))
        template_texts = []
        seen_names = {}
        for path in templates:
            where = "templates/" + os.path.basename(path)
            with open(path, "rb") as f:
                text = check_text_form(where, f.read(), problems)
            if text is None:
                continue
            template_texts.append(text)
            valid, message = validator.validate(text)
            if not valid:
                problems.add(where, "refused by the schema: %s" % message)
            root = ET.fromstring(text)
            if install.added_fields(int(root.find(q("factory_setting"))
                                        .get("codeplug_version"))):
                problems.add(where, "the migration would change this template")
            check_order(where, root, schema, problems)
            summary = check_profile(where, root, install, schema, problems, True)
            if summary:
                title = os.path.basename(path)[:-4]
                if not title.endswith("(%s)" % summary["model"]):
                    problems.add(where, "the name does not end in (%s)" % summary["model"])
                if title.lower() in seen_names:
                    problems.add(where, "the same name as %s" % seen_names[title.lower()])
                seen_names[title.lower()] = where
                summary["title"] = title
                summaries.append(summary)
            check_profile_file(where, text, problems)
        kinds = {(s["display"], s["band"]) for s in summaries}
        for wanted in ((True, "VHF"), (True, "UHF"), (False, "VHF"), (False, "UHF")):
            if wanted not in kinds:
                problems.add("templates", "no %s %s model" % (
                    "display" if wanted[0] else "rotary", wanted[1]))
        if len({s["tier"] for s in summaries}) < 2:
            problems.add("templates", "only one tier")
        if not any(s["region"] == "70" for s in summaries):
            problems.add("templates", "no repeater model of region 70")

        check_schema_strictness(schema, validator, template_texts, problems)

        fixtures = sorted(glob.glob(os.path.join(args.fixtures, "profile_v*.xml")))
        if not fixtures:
            problems.add(args.fixtures, "no profile_v*.xml fixtures")
        for path in fixtures:
            where = os.path.relpath(path, os.path.join(here, ".."))
            with open(path, "rb") as f:
                text = check_text_form(where, f.read(), problems)
            if text is None:
                continue
            original = ET.fromstring(text)
            check_order(where, original, schema, problems)
            version = int(original.find(q("factory_setting")).get("codeplug_version"))
            added = install.added_fields(version)
            if not added:
                problems.add(where, "version %d gains nothing from the migration"
                             % version)
            for entry in added:
                kind, name = local(entry.tag), entry.get("name")
                parent = entry.get("nodename" if kind == "CPField" else "parentNode")
                for element in elements_named(original, parent):
                    if kind == "CPField" and name in element.attrib:
                        problems.add(where, "version %d lacks %s, yet %s carries it"
                                     % (version, name, parent))
                    if kind == "CPTag" and element.find(q(name)) is not None:
                        problems.add(where, "version %d lacks %s, yet %s holds it"
                                     % (version, name, parent))
            valid, _ = validator.validate(text)
            if valid:
                problems.add(where, "validates before the migration; the schema "
                             "does not require the fields version %d lacks" % version)
            for from_path in (False, True):
                how = "loaded from a path" if from_path else "loaded as text"
                root = ET.fromstring(text)
                apply_migration(root, added, from_path)
                valid, message = validator.validate(serialise(root))
                if not valid:
                    problems.add(where, "%s and migrated, refused by the schema: %s"
                                 % (how, message))
                if not from_path:
                    check_profile(where, root, install, schema, problems, False)
                take_off(root, added)
                if not same_tree(root, original):
                    problems.add(where, "%s: taking the migration off does not "
                                 "give the file back" % how)

    if args.summary:
        for s in summaries:
            print("%-40s %s %s %s tier %2d region %s  channels %2d/%2d  "
                  "frequencies %2d/%2d  maxCodes %3d  synth %d%s%s" % (
                      s["title"], s["model"], "display" if s["display"] else "rotary ",
                      s["band"], s["tier"], s["region"], s["in_use"], s["channels"],
                      s["frequencies"], s["max_freqs"], s["max_codes"], s["synth"],
                      "  repeater model" if s["repeater"] else
                      ("  no repeater operation" if s["no_repeater"] else
                       "  repeater operation"),
                      "  voice chip" if s["voice"] else ""))
    for problem in problems.items:
        print(problem)
    if problems.items:
        print("%d problem(s)" % len(problems.items))
        return 1
    print("profile schema, %d templates and %d fixtures OK"
          % (len(templates), len(fixtures)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
