#!/usr/bin/env python3
"""Checks the installation's region, button and codeplug-version documents.

Looks at lib/Region.stv, lib/ButtonList.stv (with its radio pictures),
lib/UpDownGradeSetting.stv and profiletemplate/DataProfile.xsd below the
installation folder, and reports everything the program would trip over:
documents it cannot parse or whose elements are outside the profile
namespace, lookups that would find nothing, button entries the buttons form
cannot use, and migration rules that do not bring every profile version to
the installation's codeplug version.

  tools/check_settings.py [--installation DIR] [--show-migration]

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

NS = "http://www.velmora.com/TarnCPS/DataProfile"
XS = "http://www.w3.org/2001/XMLSchema"
DECLARATION = '<?xml version="1.0" encoding="utf-8"?>'

# Internal language names the program knows (each has a menu command).
KNOWN_LANGUAGES = {
    "CaFrench", "Chinese", "Dutch", "English", "French", "German", "Italian",
    "LaPortuguese", "LaSpanish", "Polish", "Portuguese", "Russian", "Spanish",
}

# Boolean attributes of the profile's limit element: the only names a button
# entry may depend on besides "none".
LIMIT_BOOLEANS = {
    "disable_time_out_timer", "disable_keypad_beep_feature",
    "disable_roger_beep_feature", "disable_busy_led_mode",
    "enable_reverse_burst", "disable_vox_feature", "disable_ivox_feature",
    "disable_scramble_feature", "disable_battery_save_feature",
    "factory_reset_disable", "disable_scan_mode", "power_cntrl_enabled",
    "backlight_button_enabled", "programming_mode_enabled",
    "call_feature_disable", "monitor_feature_disable",
    "disable_keypad_lock_feature", "disable_repeater_feature",
    "disable_channel_enable", "talkaround_scan_enable", "voice_chip_enable",
}

# Function names the buttons form translates by replacing them in the
# document's text, so they may stand nowhere else in the file.
BUTTON_NAMES = [
    "Monitor", "Scan/Nuisance Channel Delete", "Call Tone",
    "Tx Power Selection", "Scramble", "Repeater/Talkaround", "No Operation",
    "Backlight", "Preset 1", "Preset 2",
]

# Codes whose meaning the buttons form fixes.
FIXED_CODES = {0: "No Operation", 3: "Call Tone", 9: "Preset 1",
               10: "Preset 2", 12: "Scramble"}

# Factory defaults of side button 1, side button 2, A, B, C.
DEFAULTS = {"DISPLAY": (7, 4, 9, 10, 11), "NONDISPLAY": (7, 4, 3, 9, 10)}

PROFILE_CHILDREN = ["factory_setting", "limit", "setting", "channels",
                    "frequencies"]

# Elements and attributes a profile of the newest codeplug version carries
# by name (the migration may only name these).
PROFILE_ATTRIBUTES = {
    "factory_setting": {
        "serial_clone_compatibility", "firmware_phase", "firmware_version",
        "firmware_revision", "codeplug_phase", "codeplug_version",
        "codeplug_dev_version", "model", "serial", "synth_base_int_part",
        "sub_region"},
    "limit": LIMIT_BOOLEANS | {
        "maxChannels", "max_valid_freqs", "start_freq", "end_freq",
        "max_call_tones", "maxPresetButtons", "maxCodes", "rx_start_freq",
        "rx_end_freq", "tx_start_freq", "tx_end_freq"},
    "setting": {
        "password", "disableLED", "disableRestoreFactoryDefault",
        "backlight_enabled", "timeoutTimer", "reverseBurst", "vox_level",
        "ivol_level", "microphoneGain", "accessoryMicrophoneGain",
        "batteryType", "disableBatterySave", "side1_but", "side2_but",
        "upper_right_but", "lower_left_but", "lower_right_but",
        "numberChannels", "voice_language", "powerupString", "rogerBeepTone",
        "disableSelectableScramble", "backlight_timeout", "callTone",
        "keypadLock", "keypadBeep", "courtesy_over", "onbatt_alert",
        "rep_hangtime", "rep_id_mode", "stationID", "low_battery_tx"}
        | {"PLcode%d" % n for n in list(range(124, 130)) + list(range(214, 220))},
    "preset": {"channel"},
    "channel": {
        "rx_freq_ndx", "rx_code", "tx_freq_ndx", "tx_code", "rx_bw", "tx_bw",
        "talkaround_power", "repeater_power", "repeater", "autoScan",
        "scramble_code", "name", "disable_channel", "talkaround_scan",
        "in_scanlist"},
    "frequency": {"freq", "bandwidth", "power_level", "compander_lle_mode"},
}
# The only profile element that may take an added child: the root and the
# channel and frequency lists are walked by position, and the other elements
# carry attributes only.  Appended after the two presets, a child of setting
# leaves them where they are.
CHILD_PARENTS = {"setting"}


def q(name):
    return "{%s}%s" % (NS, name)


def local(tag):
    return tag.split("}", 1)[1] if tag.startswith("{") else tag


class Checker:
    def __init__(self, installation):
        self.installation = installation
        self.problems = []

    def fail(self, where, text):
        self.problems.append("%s: %s" % (where, text))

    # -- common document checks ---------------------------------------------

    def load(self, relpath):
        """Parse one document as the program does; None when it cannot."""
        path = os.path.join(self.installation, relpath)
        try:
            with open(path, "rb") as f:
                raw = f.read()
        except OSError as e:
            self.fail(relpath, "cannot be read (%s)" % e.strerror)
            return None
        if raw.startswith(b"\xef\xbb\xbf"):
            # the loader would take the mark for scrambled text
            self.fail(relpath, "begins with a UTF-8 byte-order mark")
            return None
        text = raw.decode("utf-8", errors="replace")
        if not text.startswith(DECLARATION):
            self.fail(relpath, "does not begin with %s" % DECLARATION)
        if "<!DOCTYPE" in text:
            self.fail(relpath, "contains a DOCTYPE, which the loader refuses")
        try:
            root = ET.fromstring(raw)
        except ET.ParseError as e:
            self.fail(relpath, "does not parse: %s" % e)
            return None
        return text, root

    def check_namespace(self, relpath, root, ns=NS):
        outside = sorted({el.tag for el in root.iter()
                          if not el.tag.startswith("{%s}" % ns)})
        if outside:
            self.fail(relpath, "elements outside the namespace %s: %s"
                      % (ns, ", ".join(outside)))

    @staticmethod
    def single(root, name):
        """First element of that name in document order, as //dfns:name."""
        return next(root.iter(q(name)), None)

    # -- Region.stv ----------------------------------------------------------

    def check_region(self):
        where = "lib/Region.stv"
        loaded = self.load(where)
        if loaded is None:
            return None
        _, root = loaded
        self.check_namespace(where, root)
        info = {}

        region = self.single(root, "Region")
        if region is None or not region.get("name"):
            self.fail(where, "no Region element with a name")
        else:
            info["region"] = region.get("name")

        version = self.single(root, "ProductVersion")
        if version is None or not version.get("value"):
            self.fail(where, "no ProductVersion element with a value")

        support = self.single(root, "Support")
        codes = []
        if support is None:
            self.fail(where, "no Support element")
        else:
            for child in support:
                num = child.get("num")
                if num is None or len(num) != 2 or not num.isdigit():
                    self.fail(where, "Support entry %s: num %r is not a "
                              "two-digit region code" % (local(child.tag), num))
                else:
                    codes.append(num)
            if not codes:
                self.fail(where, "Support lists no region code")
            if len(set(codes)) != len(codes):
                self.fail(where, "Support lists a region code twice")
        info["support"] = codes

        cpversion = self.single(root, "CPVersion")
        info["cpversion"] = 1
        if cpversion is not None:
            content = (cpversion.text or "").strip()
            if not content.isdigit() or int(content) < 1:
                self.fail(where, "CPVersion %r is not a positive integer"
                          % content)
            else:
                info["cpversion"] = int(content)

        regions = self.single(root, "ModelRegions")
        products = {}
        if regions is None:
            self.fail(where, "no ModelRegions element")
        else:
            for child in regions:
                name, code = child.get("name"), child.get("code")
                if not name or not code or not code.isdigit():
                    self.fail(where, "ModelRegions entry needs a name and a "
                              "decimal code (name %r, code %r)" % (name, code))
                    continue
                if int(code) in products:
                    self.fail(where, "ModelRegions names code %s twice" % code)
                products[int(code)] = name
            if not any(code not in {int(c) for c in codes}
                       for code in products):
                self.fail(where, "ModelRegions names no product for a region "
                          "this installation does not serve")

        languages = self.single(root, "SupportLanguages")
        names = []
        if languages is None:
            self.fail(where, "no SupportLanguages element")
        else:
            for child in languages:
                name = child.get("name")
                if local(child.tag) != "language":
                    self.fail(where, "SupportLanguages entry %s is not a "
                              "language element, so it has no display name"
                              % local(child.tag))
                if name not in KNOWN_LANGUAGES:
                    self.fail(where, "unknown language %r" % name)
                elif not (child.get("displayName") or "").strip():
                    self.fail(where, "language %s has no displayName" % name)
                names.append(name)
            if "English" not in names:
                self.fail(where, "English, the built-in language, is not "
                          "offered")
            if len(set(names)) != len(names):
                self.fail(where, "a language is listed twice")
        return info

    # -- ButtonList.stv ------------------------------------------------------

    def read_features(self, where, group):
        features = []
        for entry in group:
            label = "%s entry %r" % (local(group.tag), entry.get("Name"))
            for attribute in ("Name", "Value", "DependName", "DependType"):
                if entry.get(attribute) is None:
                    self.fail(where, "%s has no %s" % (label, attribute))
            value = entry.get("Value", "")
            if not value.isdigit() or not 0 <= int(value) <= 15:
                self.fail(where, "%s: Value %r is not a code 0 to 15"
                          % (label, value))
                continue
            name = entry.get("Name")
            if name not in BUTTON_NAMES:
                self.fail(where, "%s: the name is not one the program "
                          "translates" % label)
            code = int(value)
            if code in FIXED_CODES and FIXED_CODES[code] != name:
                self.fail(where, "%s: code %d is %s to the buttons form"
                          % (label, code, FIXED_CODES[code]))
            depend = entry.get("DependName")
            if depend != "none" and depend not in LIMIT_BOOLEANS:
                self.fail(where, "%s: DependName %r is neither none nor a "
                          "boolean of limit" % (label, depend))
            if entry.get("DependType") not in ("0", "1"):
                self.fail(where, "%s: DependType %r is not 0 or 1"
                          % (label, entry.get("DependType")))
            features.append((name, code))
        return features

    def check_buttons(self, region):
        where = "lib/ButtonList.stv"
        loaded = self.load(where)
        if loaded is None:
            return
        text, root = loaded
        self.check_namespace(where, root)

        # The names are translated by plain text replacement: outside the
        # Name attributes the replacement would change the document itself.
        rest = text
        for entry in root.iter():
            if entry.get("Name") is not None:
                rest = rest.replace('Name="%s"' % entry.get("Name"), "", 1)
        for name in BUTTON_NAMES:
            if name in rest:
                self.fail(where, "%r stands outside a Name attribute and "
                          "would be translated there too" % name)

        home = root.find(q(region))
        if home is None:
            self.fail(where, "no element for the region %s" % region)
            return
        groups = {}
        for group in ("COMMON", "DISPLAY", "NONDISPLAY", "PREBUTTON", "IMAGE"):
            element = home.find(q(group))
            if element is None:
                self.fail(where, "%s has no %s group" % (region, group))
            elif group != "IMAGE":
                groups[group] = self.read_features(where, element)
        if "COMMON" in groups:
            common = groups["COMMON"]
            if not common or common[-1][1] != 0:
                self.fail(where, "COMMON does not end with the code-0 entry")
        if len(groups) == 4:
            for model in ("DISPLAY", "NONDISPLAY"):
                lists = groups["COMMON"] + groups[model] + groups["PREBUTTON"]
                codes = [code for _, code in lists]
                for code in sorted({c for c in codes if codes.count(c) > 1}):
                    self.fail(where, "code %d is listed twice for %s models"
                              % (code, model))
                side = {code for _, code in groups["COMMON"]}
                front = set(codes)
                defaults = DEFAULTS[model]
                for button, code in zip(("side button 1", "side button 2"),
                                        defaults[:2]):
                    if code not in side:
                        self.fail(where, "default %d of %s on %s models is "
                                  "not in COMMON" % (code, button, model))
                for button, code in zip("ABC", defaults[2:]):
                    if code not in front:
                        self.fail(where, "default %d of button %s is not "
                                  "offered to %s models"
                                  % (code, button, model))

        image = home.find(q("IMAGE"))
        first = next(iter(image), None) if image is not None else None
        if image is not None and first is None:
            self.fail(where, "IMAGE has no entry")
        if first is not None:
            for attribute in ("Display", "NonDisplay"):
                name = first.get(attribute)
                if not name:
                    self.fail(where, "IMAGE entry has no %s picture"
                              % attribute)
                    continue
                path = os.path.join(self.installation, "lib", name)
                try:
                    with open(path, "rb") as f:
                        signature = f.read(8)
                except OSError:
                    self.fail(where, "%s picture lib/%s is missing"
                              % (attribute, name))
                    continue
                if signature != b"\x89PNG\r\n\x1a\n":
                    self.fail(where, "%s picture lib/%s is not a PNG file"
                              % (attribute, name))

    # -- UpDownGradeSetting.stv ----------------------------------------------

    def check_migration(self, region, cpversion, show):
        where = "lib/UpDownGradeSetting.stv"
        loaded = self.load(where)
        if loaded is None:
            return
        _, root = loaded
        self.check_namespace(where, root)
        setting = self.single(root, "CodePlugSetting")
        if setting is None:
            self.fail(where, "no CodePlugSetting element")
            return
        versions = list(setting)
        names = [local(v.tag) for v in versions]
        expected = ["CPVer%d" % i for i in range(1, len(versions) + 1)]
        if names != expected:
            self.fail(where, "version elements %s, expected %s"
                      % (names, expected))
            return
        if len(versions) != cpversion:
            self.fail(where, "%d versions, but Region.stv says CPVersion %d"
                      % (len(versions), cpversion))

        before = len(self.problems)
        seen = {}   # name -> (kind, target, default, replaceby) first seen
        for version in versions:
            vname = local(version.tag)
            for part in (region, "RegionCommon"):
                block = version.find(q(part))
                if block is None:
                    self.fail(where, "%s has no %s child" % (vname, part))
                    continue
                for entry in block:
                    self.check_rule(where, "%s/%s" % (vname, part), entry,
                                    seen)
        newest = versions[-1]
        for entry in newest.iter():
            if entry.get("isExist") == "0":
                self.fail(where, "%s is the newest version but lacks %s; a "
                          "profile of that version would gain it"
                          % (local(newest.tag), entry.get("name")))
        if len(self.problems) > before:
            return      # the simulation below needs well-formed rules

        for v in range(1, len(versions) + 1):
            added = added_fields(versions, v, region)
            if show:
                print("codeplug version %d profile gains on loading:" % v)
                for entry in added:
                    print("  " + describe(entry))
                if not added:
                    print("  nothing")
            if v == len(versions) and added:
                self.fail(where, "a profile of the newest version would gain "
                          "%s" % ", ".join(e.get("name") for e in added))
            if v < len(versions) and not added:
                self.fail(where, "a profile of version %d gains nothing, so "
                          "it is not brought to version %d"
                          % (v, len(versions)))
            # every field of the newest version is there after loading
            present = {e.get("name") for e in keep_node(versions, v, region)}
            present |= {e.get("name") for e in added}
            missing = [e.get("name")
                       for e in keep_node(versions, len(versions), region)
                       if e.get("name") not in present]
            if missing:
                self.fail(where, "a profile of version %d lacks %s after "
                          "loading" % (v, ", ".join(missing)))

    def check_rule(self, where, block, entry, seen):
        kind = local(entry.tag)
        label = "%s %s %r" % (block, kind, entry.get("name"))
        if kind == "CPField":
            needed = ("name", "nodename", "defaulvalue", "replaceby",
                      "isExist")
            target = entry.get("nodename")
        elif kind == "CPTag":
            needed = ("name", "parentNode", "isExist")
            target = entry.get("parentNode")
        else:
            self.fail(where, "%s: only CPField and CPTag entries are "
                      "applied" % label)
            return
        for attribute in needed:
            if entry.get(attribute) is None:
                self.fail(where, "%s has no %s" % (label, attribute))
        if entry.get("isExist") not in ("0", "1"):
            self.fail(where, "%s: isExist %r is not 0 or 1"
                      % (label, entry.get("isExist")))
        name = entry.get("name") or ""
        if kind == "CPField":
            known = PROFILE_ATTRIBUTES.get(target)
            if known is None:
                self.fail(where, "%s: %r is no profile element with "
                          "attributes" % (label, target))
            elif name not in known:
                self.fail(where, "%s: %s has no attribute of that name"
                          % (label, target))
            replaceby = entry.get("replaceby") or ""
            if replaceby and known is not None and replaceby not in known:
                self.fail(where, "%s: replaceby %r is no attribute of %s"
                          % (label, replaceby, target))
        else:
            if target not in CHILD_PARENTS:
                self.fail(where, "%s: parentNode %r cannot take an added "
                          "child" % (label, target))
            if name in PROFILE_ATTRIBUTES or name in PROFILE_CHILDREN:
                self.fail(where, "%s: %s is an element the program already "
                          "reads by position or name" % (label, name))
        signature = (kind, target, entry.get("defaulvalue"),
                     entry.get("replaceby"))
        if name in seen and seen[name] != signature:
            self.fail(where, "%s: the name is used before for a different "
                      "field (%s); entries are told apart by name alone"
                      % (label, "/".join(str(s) for s in seen[name])))
        seen.setdefault(name, signature)

    # -- DataProfile.xsd -----------------------------------------------------

    def check_schema(self):
        where = "profiletemplate/DataProfile.xsd"
        loaded = self.load(where)
        if loaded is None:
            return
        _, root = loaded
        if root.tag != "{%s}schema" % XS:
            self.fail(where, "the root is not an XML Schema")
            return
        if root.get("targetNamespace") != NS:
            self.fail(where, "targetNamespace is not %s" % NS)
        if root.get("elementFormDefault") != "qualified":
            self.fail(where, "elementFormDefault is not qualified")
        top = [e for e in root.findall("{%s}element" % XS)
               if e.get("name") == "TarnProfile"]
        if not top:
            self.fail(where, "no global element TarnProfile")
            return
        sequence = top[0].find("{%s}complexType/{%s}sequence" % (XS, XS))
        children = [] if sequence is None else [
            e.get("name") for e in sequence.findall("{%s}element" % XS)]
        if children != PROFILE_CHILDREN:
            self.fail(where, "TarnProfile's children are %s, expected %s"
                      % (children, PROFILE_CHILDREN))
        self.validate_sample(where)

    def validate_sample(self, where):
        """Let xmllint judge the schema on a template, and on the same
        template without its limit element, when xmllint is present."""
        xmllint = shutil.which("xmllint")
        if xmllint is None:
            print("note: xmllint not found, schema not validated")
            return
        templates = sorted(glob.glob(os.path.join(
            os.path.dirname(self.installation.rstrip("/")), "installation", "templates", "*.xml")))
        if not templates:
            templates = sorted(glob.glob(os.path.join(self.installation, "templates", "*.xml")))
        if not templates:
            self.fail(where, "no profile template to validate the schema with")
            return
        with open(templates[0], encoding="utf-8") as f:
            sample = f.read()
        broken = re.sub(r"<limit\b[^>]*/>", "", sample, count=1)
        schema = os.path.join(self.installation, where)
        with tempfile.TemporaryDirectory() as folder:
            for name, text, valid in (("sample.xml", sample, True),
                                      ("no-limit.xml", broken, False)):
                path = os.path.join(folder, name)
                with open(path, "w", encoding="utf-8") as f:
                    f.write(text)
                result = subprocess.run(
                    [xmllint, "--noout", "--schema", schema, path],
                    capture_output=True, text=True)
                if (result.returncode == 0) != valid:
                    self.fail(where, "xmllint %s a profile %s: %s" % (
                        "refuses" if valid else "accepts",
                        "made from a template" if valid
                        else "without limit",
                        result.stderr.strip() or "no message"))


# -- the program's migration, step by step -----------------------------------

def entries(block, exist):
    if block is None:
        return []
    return [e for e in block if e.get("isExist") == exist]


def keep_node(versions, v, region):
    """The fields a profile of version v has: region entries first."""
    version = versions[v - 1]
    keep = list(entries(version.find(q(region)), "1"))
    for entry in entries(version.find(q("RegionCommon")), "1"):
        if all(k.get("name") != entry.get("name") for k in keep):
            keep.append(entry)
    return keep


def added_fields(versions, v, region):
    """The added-field list of a version-v profile, newest version first."""
    keep = keep_node(versions, v, region)
    added = []
    for i in range(len(versions) - 1, 0, -1):
        exist = "0" if v == i + 1 else "1"
        for part in (region, "RegionCommon"):
            for entry in entries(versions[i].find(q(part)), exist):
                name = entry.get("name")
                if all(e.get("name") != name for e in added + keep):
                    added.append(entry)
    return added


def describe(entry):
    if local(entry.tag) == "CPTag":
        return "element %s in every %s (new profiles from templates only)" % (
            entry.get("name"), entry.get("parentNode"))
    text = "attribute %s on every %s, value %s" % (
        entry.get("name"), entry.get("nodename"), entry.get("defaulvalue"))
    if entry.get("replaceby"):
        text += " or the value of %s" % entry.get("replaceby")
    return text


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--installation",
                        default=os.path.join(here, "..", "installation"),
                        help="installation folder (default: ../installation)")
    parser.add_argument("--show-migration", action="store_true",
                        help="print what each codeplug version gains")
    args = parser.parse_args()

    checker = Checker(os.path.normpath(args.installation))
    info = checker.check_region()
    if info is not None and "region" in info:
        checker.check_buttons(info["region"])
        checker.check_migration(info["region"], info["cpversion"],
                                args.show_migration)
    checker.check_schema()

    for problem in checker.problems:
        print(problem)
    if checker.problems:
        print("%d problem(s)" % len(checker.problems))
        return 1
    print("installation settings OK")
    return 0


if __name__ == "__main__":
    sys.exit(main())
