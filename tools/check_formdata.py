#!/usr/bin/env python3
"""Check the form data of the installation folder.

Verifies that lib/VisibleSetting.stv and lib/HelpPanMap.stv are well-formed
setting documents in the profile namespace, that VisibleSetting.stv lists
every control of every form page for both model types (a control a page
does not list is never shown), and that every help map points at a control
of its form and at an existing help page and section.

Usage: check_formdata.py [installation-folder]   (default: ../installation)
Exit status 0 when clean, 1 when a problem was found.
"""

import os
import sys
import xml.etree.ElementTree as ET
from html.parser import HTMLParser

NS = "http://www.velmora.com/TarnCPS/DataProfile"
DECLARATION = '<?xml version="1.0" encoding="utf-8"?>'
DEFAULT_REGION = "Asia"
HELP_FOLDER = os.path.join("help", "English")

# Control identifiers of each form page, in layout order (title first).
# Entries that only end a column run repeat an identifier; they are kept so
# the table reads like the forms' own layout tables.
LAYOUT = {
    "Channel": [1058, 1009, 1085, 1010, 1032, 1111, 1114, 1003, 1016, 1004,
                1018, 1086, 1031, 1028, 1008, 1019, 1113, 1115, 1025, 1017,
                1026, 1020, 1087, 1030, 1021, 1029, 1022, 1005, 1023, 1006,
                1024, 1076, 1011, 1033, 1007, 1027],
    "Channels": [1061, 1041, 1068],
    "Frequency": [1069, 1041, 1065, 1066, 1067, 1070, 1073, 1071, 1063, 1072,
                  1064, 1074, 1068],
    "ScanList": [1035, 1036, 1047, 1036, 1033, 1034, 1033, 1037, 1048],
    "Settings": [1048, 1050, 1059, 1051, 1002, 1052, 1003, 1054, 1004, 1058,
                 1061, 1053, 1037, 1055, 1039, 1057, 1041, 1024, 1040, 1056,
                 1060, 1062, 1005, 1066, 1006, 1064, 1063, 1065, 1038, 1016,
                 1026, 1018, 1028, 1049, 1019, 1029],
    "AudioSettings": [1019, 1020, 1025, 1021, 1026, 1022, 1027, 1023, 1028,
                      1029, 1030, 1024, 1017, 1014, 1018],
    "Buttons": [1075, 1054, 1038, 1058, 1004, 1009, 1001, 1010, 1002, 1011,
                1003, 1012, 1005, 1013, 1006, 1041, 1016, 1017, 1014, 1007,
                1015, 1008, 1029, 1030],
    "CustomizedDPL": [1090, 1091, 1092, 1093, 1094, 1095, 1096, 1097, 1098,
                      1099, 1100, 1101, 1102],
    "CustomizedPL": [1077, 1078, 1084, 1079, 1085, 1080, 1086, 1081, 1087,
                     1082, 1088, 1083, 1089],
    "RadioProfile": [1013, 1001, 1066, 1002, 1011, 1003, 1012, 1004, 1014,
                     1005, 1015, 1008, 1018, 1007, 1017, 1006, 1016],
}

# Help form name -> page name of the same form.
HELP_FORMS = {
    "Channel": "Channel",
    "Channels": "Channels",
    "RFFrequency": "Frequency",
    "ScanList": "ScanList",
    "GeneralSettings": "Settings",
    "AudioSettings": "AudioSettings",
    "Buttons": "Buttons",
    "CustomizedDPL": "CustomizedDPL",
    "CustomizedPL": "CustomizedPL",
    "RadioInfo": "RadioProfile",
}

# Controls that report their focus (or a click) to the help pane; each needs
# a help map entry.
HELP_CONTROLS = {
    "RadioInfo": [1066, 1011, 1012, 1014, 1015, 1018, 1017, 1016],
    "GeneralSettings": [1059, 1002, 1003, 1004, 1061, 1037, 1039, 1041, 1040,
                        1060, 1005, 1006, 1063, 1038, 1026, 1028, 1029],
    "AudioSettings": [1025, 1026, 1030, 1017],
    "Buttons": [1038, 1001, 1002, 1003, 1005, 1006, 1007, 1008],
    "RFFrequency": [1041, 1065, 1066, 1067, 1073, 1063, 1064, 1068],
    "Channels": [1041],
    "Channel": [1085, 1032, 1016, 1018, 1028, 1019, 1017, 1020, 1021, 1022,
                1023, 1024, 1033, 1027],
    "ScanList": [1047, 1033, 1034, 1048],
    "CustomizedPL": [1084, 1085, 1086, 1087, 1088, 1089],
    "CustomizedDPL": [1092, 1094, 1096, 1098, 1100, 1102],
}

MODEL_TYPES = ("Display", "NonDisplay")


class Report:
    def __init__(self):
        self.problems = []

    def error(self, where, text):
        self.problems.append("%s: %s" % (where, text))


def q(name):
    return "{%s}%s" % (NS, name)


def local(tag):
    return tag.split("}", 1)[1] if tag.startswith("{") else tag


def load_setting_doc(path, report):
    """Parse a setting document the way the program stores them."""
    where = os.path.relpath(path)
    try:
        with open(path, "rb") as f:
            raw = f.read()
    except OSError as e:
        report.error(where, "cannot be read (%s)" % e.strerror)
        return None
    if raw.startswith(b"\xef\xbb\xbf") or raw.startswith(b"\xff\xfe"):
        report.error(where, "begins with a byte-order mark")
        return None
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError as e:
        report.error(where, "is not UTF-8 (%s)" % e)
        return None
    if not text.startswith(DECLARATION):
        report.error(where, "does not begin with %s" % DECLARATION)
    if "<!DOCTYPE" in text:
        report.error(where, "carries a DOCTYPE")
    try:
        root = ET.fromstring(raw)
    except ET.ParseError as e:
        report.error(where, "does not parse (%s)" % e)
        return None
    for el in root.iter():
        if not isinstance(el.tag, str):
            continue
        if not el.tag.startswith("{%s}" % NS):
            report.error(where, "element <%s> is not in the profile namespace" % el.tag)
            return None
    return root


def region_name(install, report):
    """The region of Region.stv when it is there, else the installation default."""
    path = os.path.join(install, "lib", "Region.stv")
    if not os.path.exists(path):
        return DEFAULT_REGION
    root = load_setting_doc(path, report)
    if root is None:
        return DEFAULT_REGION
    region = root.find(".//" + q("Region"))
    if region is None or not region.get("name"):
        report.error(os.path.relpath(path), "has no Region name")
        return DEFAULT_REGION
    return region.get("name")


def control_entry(el, where, report):
    """The (ID, isVisible) of a control entry, or None when it is malformed."""
    cid = el.get("ID")
    if cid is None or not cid.isdigit():
        report.error(where, "<%s> has no numeric ID" % local(el.tag))
        return None
    visible = el.get("isVisible")
    if visible not in ("0", "1"):
        report.error(where, "control %s has isVisible %r (want \"0\" or \"1\")" % (cid, visible))
    return int(cid), visible


def check_visible_setting(install, region, report):
    path = os.path.join(install, "lib", "VisibleSetting.stv")
    root = load_setting_doc(path, report)
    if root is None:
        return {}
    where = os.path.relpath(path)
    region_el = root.find(q(region))
    if region_el is None:
        report.error(where, "has no region element <%s> below the root" % region)
        return {}
    hidden = {}
    pages = [local(el.tag) for el in region_el]
    for page in pages:
        if page not in LAYOUT:
            report.error(where, "unknown page <%s>" % page)
    for page, layout in LAYOUT.items():
        page_where = "%s <%s>" % (where, page)
        found = region_el.findall(q(page))
        if len(found) != 1:
            report.error(where, "needs exactly one page <%s>, has %d" % (page, len(found)))
            continue
        # Entries as each model type sees them.
        seen = {t: {} for t in MODEL_TYPES}
        for child in found[0]:
            name = local(child.tag)
            if name in MODEL_TYPES:
                for entry_el in child:
                    if local(entry_el.tag) != "Control":
                        report.error(page_where, "<%s> holds <%s>, only <Control> counts"
                                     % (name, local(entry_el.tag)))
                        continue
                    entry = control_entry(entry_el, page_where, report)
                    if entry:
                        if entry[0] in seen[name]:
                            report.error(page_where, "control %d listed twice for %s" % (entry[0], name))
                        seen[name][entry[0]] = entry[1]
            else:
                entry = control_entry(child, page_where, report)
                if entry:
                    for t in MODEL_TYPES:
                        if entry[0] in seen[t]:
                            report.error(page_where, "control %d listed twice for %s" % (entry[0], t))
                        seen[t][entry[0]] = entry[1]
        ids = set(layout)
        for t in MODEL_TYPES:
            for cid in sorted(ids - set(seen[t])):
                report.error(page_where, "control %d is not listed for %s models" % (cid, t))
            for cid in sorted(set(seen[t]) - ids):
                report.error(page_where, "control %d is no control of this page" % cid)
            hidden[(page, t)] = sorted(c for c, v in seen[t].items() if v == "0" and c in ids)
    return hidden


class AnchorCollector(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.anchors = set()
        self.links = []
        self.scripts = 0

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        for key in ("id", "name"):
            if attrs.get(key):
                self.anchors.add(attrs[key])
        if tag == "a" and attrs.get("href"):
            self.links.append(attrs["href"])
        if tag == "script":
            self.scripts += 1


def read_help_pages(help_dir, report):
    pages = {}
    if not os.path.isdir(help_dir):
        report.error(os.path.relpath(help_dir), "help folder is missing")
        return pages
    for name in sorted(os.listdir(help_dir)):
        if not name.endswith(".html"):
            continue
        path = os.path.join(help_dir, name)
        parser = AnchorCollector()
        with open(path, encoding="utf-8") as f:
            parser.feed(f.read())
        parser.close()
        if parser.scripts:
            report.error(os.path.relpath(path), "contains a script")
        pages[name] = parser
    if "index.html" not in pages:
        report.error(os.path.relpath(help_dir), "has no index.html")
    return pages


def resolve(target, pages, where, report):
    page, _, anchor = target.partition("#")
    if page not in pages:
        report.error(where, "%s: no help page %s" % (target, page))
    elif anchor and anchor not in pages[page].anchors:
        report.error(where, "%s: page has no section %s" % (target, anchor))


def check_help(install, report):
    path = os.path.join(install, "lib", "HelpPanMap.stv")
    root = load_setting_doc(path, report)
    help_dir = os.path.join(install, HELP_FOLDER)
    pages = read_help_pages(help_dir, report)
    if root is None:
        return
    where = os.path.relpath(path)
    forms = [local(el.tag) for el in root]
    for form in forms:
        if form not in HELP_FORMS:
            report.error(where, "unknown form <%s>" % form)
    for form, page in HELP_FORMS.items():
        found = root.findall(q(form))
        if len(found) != 1:
            report.error(where, "needs exactly one form <%s>, has %d" % (form, len(found)))
            continue
        form_where = "%s <%s>" % (where, form)
        mapped = set()
        for m in found[0]:
            if local(m.tag) != "map":
                report.error(form_where, "<%s> is no map entry" % local(m.tag))
                continue
            cid, target = m.get("id", ""), m.get("pageName", "")
            if not cid.isdigit() or str(int(cid)) != cid:
                report.error(form_where, "map id %r is not a decimal number" % cid)
                continue
            if int(cid) in mapped:
                report.error(form_where, "control %s mapped twice" % cid)
            mapped.add(int(cid))
            if int(cid) not in LAYOUT[page]:
                report.error(form_where, "control %s is no control of this form" % cid)
            if not target or " " in target:
                report.error(form_where, "control %s has page name %r" % (cid, target))
                continue
            resolve(target, pages, form_where, report)
        for cid in HELP_CONTROLS[form]:
            if cid not in mapped:
                report.error(form_where, "control %d reports its focus but has no map" % cid)
    # Links between the help pages themselves (contents, index, back links).
    for name, parser in pages.items():
        for href in parser.links:
            if "://" in href or href.startswith("mailto:"):
                report.error(os.path.join(HELP_FOLDER, name), "links outside the help: %s" % href)
            else:
                resolve(href if not href.startswith("#") else name + href, pages,
                        os.path.join(HELP_FOLDER, name), report)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    install = argv[1] if len(argv) > 1 else os.path.join(here, "..", "installation")
    report = Report()
    region = region_name(install, report)
    hidden = check_visible_setting(install, region, report)
    check_help(install, report)
    for (page, model_type), ids in sorted(hidden.items()):
        if ids:
            print("hidden on %s models, page %s: %s" % (model_type, page, " ".join(map(str, ids))))
    for t in MODEL_TYPES:
        if hidden and not any(ids for (p, mt), ids in hidden.items() if mt == t):
            print("note: nothing is hidden on %s models" % t)
    for p in report.problems:
        print("PROBLEM " + p)
    if report.problems:
        print("%d problem(s)" % len(report.problems))
        return 1
    print("form data clean (region %s)" % region)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
