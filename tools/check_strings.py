#!/usr/bin/env python3
"""Compare the built-in English string table with the German translation file.

Reports, and exits with 1 when there is any:
  - an id in one file that is missing or empty in the other, or an id twice in one file;
  - a translation file entry whose source text differs from the English table (the
    program looks translations up by the English text, so such an entry is never found);
  - a translation that is unfinished, or whose printf placeholders (%s, %d, %.6f, %%, ...)
    differ from the English text, or whose %1-style placeholders differ as a set;
  - a translation that loses or adds an "&" accelerator, a "&&", a line break, a
    trailing blank or the key after the tab of a menu text;
  - two items of one menu with the same accelerator letter (English or German).

Usage: check_strings.py [--cpp FILE] [--ts FILE]
"""

import argparse
import os
import re
import sys
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_CPP = os.path.join(HERE, '..', 'src', 'settings', 'StringTableEnglish.cpp')
DEFAULT_TS = os.path.join(HERE, '..', 'installation', 'languages', 'tarncps_de.ts')

# Items of one menu (or the menu bar) share their accelerator keys.
MENU_GROUPS = {
    'menu bar': [343, 344, 345, 346, 347, 348, 349],
    'File': [350, 351, 352, 353, 354, 355],
    'Edit': [356, 357, 358, 359, 360, 361, 362, 321],
    'View': [363, 364, 399],
    'Device': [365, 366, 367],
    'Window': [370, 371],
    'Help': [369, 368],
}

# Key names that a translation may spell in its own language.
KEY_SYNONYMS = {'Strg': 'Ctrl', 'Entf': 'Del', 'Einfg': 'Ins'}

PRINTF_RE = re.compile(
    r'%(?:%|[-+ #0]*(?:\d+|\*)?(?:\.(?:\d+|\*))?(?:hh|h|ll|l|L|z|j|t)?[diouxXeEfFgGaAcsp])')
QT_ARG_RE = re.compile(r'%(\d{1,2})')
ACCEL_RE = re.compile(r'&([^&\s])')


# ---------------------------------------------------------------- C++ table

_SIMPLE_ESCAPES = {'n': '\n', 'r': '\r', 't': '\t', '\\': '\\', '"': '"', "'": "'",
                   '?': '?', 'a': '\a', 'b': '\b', 'f': '\f', 'v': '\v'}


def _decode_c_literal(body):
    out = []
    i = 0
    while i < len(body):
        ch = body[i]
        if ch != '\\':
            out.append(ch)
            i += 1
            continue
        nxt = body[i + 1]
        if nxt in _SIMPLE_ESCAPES:
            out.append(_SIMPLE_ESCAPES[nxt])
            i += 2
        elif nxt in '01234567':
            m = re.match(r'[0-7]{1,3}', body[i + 1:])
            out.append(chr(int(m.group(0), 8)))
            i += 1 + len(m.group(0))
        elif nxt == 'x':
            m = re.match(r'[0-9A-Fa-f]+', body[i + 2:])
            out.append(chr(int(m.group(0), 16)))
            i += 2 + len(m.group(0))
        elif nxt in 'uU':
            n = 4 if nxt == 'u' else 8
            out.append(chr(int(body[i + 2:i + 2 + n], 16)))
            i += 2 + n
        else:
            raise ValueError('unknown escape \\' + nxt)
    return ''.join(out)


def _tokens(src):
    """Yield ('str', text) for string literals and ('chr', c) for other characters,
    skipping comments and whitespace."""
    i = 0
    n = len(src)
    while i < n:
        c = src[i]
        if src.startswith('//', i):
            j = src.find('\n', i)
            i = n if j < 0 else j + 1
        elif src.startswith('/*', i):
            j = src.find('*/', i + 2)
            i = n if j < 0 else j + 2
        elif c == '"' or (c in 'uUL' and src.startswith('"', i + 1)) or src.startswith('u8"', i):
            start = src.index('"', i) + 1
            j = start
            while src[j] != '"':
                j += 2 if src[j] == '\\' else 1
            yield ('str', _decode_c_literal(src[start:j]))
            i = j + 1
        elif c == "'":
            j = i + 1
            while src[j] != "'":
                j += 2 if src[j] == '\\' else 1
            yield ('chr', src[i:j + 1])
            i = j + 1
        elif c.isspace():
            i += 1
        elif c.isdigit():
            j = i
            while j < n and src[j].isalnum():
                j += 1
            yield ('num', src[i:j])
            i = j
        else:
            yield ('chr', c)
            i += 1


def parse_cpp(path, problems):
    """Return the list of (id, text) of kEnglishStrings in file order."""
    with open(path, encoding='utf-8') as f:
        src = f.read()
    start = src.find('kEnglishStrings[]')
    if start < 0:
        problems.append('%s: no kEnglishStrings array' % path)
        return []
    toks = list(_tokens(src[start:]))
    # skip to the opening brace of the initializer
    k = next(i for i, t in enumerate(toks) if t == ('chr', '{'))
    entries = []
    depth = 1
    k += 1
    while k < len(toks) and depth > 0:
        t = toks[k]
        if t == ('chr', '{'):
            # expect: number , literal+ }
            if toks[k + 1][0] != 'num' or toks[k + 2] != ('chr', ','):
                problems.append('%s: malformed entry near token %d' % (path, k))
                return entries
            ident = int(toks[k + 1][1])
            k += 3
            parts = []
            while toks[k][0] == 'str':
                parts.append(toks[k][1])
                k += 1
            if not parts or toks[k] != ('chr', '}'):
                problems.append('%s: entry %d is not {id, u"text"}' % (path, ident))
                return entries
            entries.append((ident, ''.join(parts)))
        elif t == ('chr', '}'):
            depth -= 1
        k += 1
    return entries


# ---------------------------------------------------------------- TS file

def parse_ts(path, problems):
    """Return the list of (id, source, translation, unfinished) in file order."""
    root = ET.parse(path).getroot()
    if root.tag != 'TS':
        problems.append('%s: root element is not TS' % path)
        return []
    for attr, want in (('version', '2.1'), ('language', 'de_DE'), ('sourcelanguage', 'en')):
        if root.get(attr) != want:
            problems.append('%s: TS %s is %r, expected %r' % (path, attr, root.get(attr), want))
    contexts = root.findall('context')
    names = [c.findtext('name') for c in contexts]
    if names != ['StringTable']:
        problems.append('%s: expected exactly one context "StringTable", found %s' % (path, names))
    entries = []
    for ctx in contexts:
        for msg in ctx.findall('message'):
            comment = (msg.findtext('comment') or '').strip()
            source = msg.findtext('source') or ''
            tr = msg.find('translation')
            if not comment.isdigit():
                problems.append('%s: message %r has no numeric id in <comment>' % (path, source[:40]))
                continue
            text = '' if tr is None else (tr.text or '')
            unfinished = tr is None or tr.get('type') in ('unfinished', 'obsolete', 'vanished')
            entries.append((int(comment), source, text, unfinished))
    return entries


# ---------------------------------------------------------------- checks

def key_after_tab(text):
    if '\t' not in text:
        return None
    key = text.split('\t', 1)[1]
    for local, std in KEY_SYNONYMS.items():
        key = re.sub(r'\b%s\b' % local, std, key)
    return key


def compare_text(ident, en, de, problems):
    def report(what):
        problems.append('id %d: %s\n    en: %r\n    de: %r' % (ident, what, en, de))

    if PRINTF_RE.findall(en) != PRINTF_RE.findall(de):
        report('printf placeholders differ')
    if sorted(QT_ARG_RE.findall(en)) != sorted(QT_ARG_RE.findall(de)):
        report('%n placeholders differ')
    if en.count('&&') != de.count('&&'):
        report('"&&" count differs')
    if len(ACCEL_RE.findall(en.replace('&&', ''))) != len(ACCEL_RE.findall(de.replace('&&', ''))):
        report('accelerator "&" count differs')
    if en.count('\n') != de.count('\n') or en.count('\r') != de.count('\r'):
        report('line breaks differ')
    if key_after_tab(en) != key_after_tab(de):
        report('menu key after the tab differs')
    if (en[:1].isspace(), en[-1:].isspace()) != (de[:1].isspace(), de[-1:].isspace()):
        report('leading or trailing blank differs')


def accel_letter(text):
    m = ACCEL_RE.search(text.replace('&&', ''))
    return m.group(1).lower() if m else None


def check_menus(table, lang, problems):
    for menu, ids in MENU_GROUPS.items():
        seen = {}
        for ident in ids:
            if ident not in table:
                continue
            letter = accel_letter(table[ident])
            if letter is None:
                problems.append('%s menu %s: item %d has no accelerator' % (lang, menu, ident))
            elif letter in seen:
                problems.append('%s menu %s: items %d and %d share accelerator "%s"'
                                % (lang, menu, seen[letter], ident, letter))
            else:
                seen[letter] = ident


def run(cpp_path, ts_path):
    problems = []
    cpp = parse_cpp(cpp_path, problems)
    ts = parse_ts(ts_path, problems)

    english = {}
    previous = None
    for ident, text in cpp:
        if ident in english:
            problems.append('English table: id %d appears twice' % ident)
        if previous is not None and ident <= previous:
            problems.append('English table: id %d is not in ascending order' % ident)
        previous = ident
        english[ident] = text
        if text == '':
            problems.append('English table: id %d is empty' % ident)

    german = {}
    for ident, source, text, unfinished in ts:
        if ident in german:
            problems.append('translation file: id %d appears twice' % ident)
            continue
        german[ident] = (source, text, unfinished)

    for ident in sorted(english):
        if ident not in german:
            problems.append('id %d: in the English table, missing in the translation file' % ident)
            continue
        source, text, unfinished = german[ident]
        if unfinished or text == '':
            problems.append('id %d: translation is empty or unfinished' % ident)
            continue
        if english[ident] == '':
            continue
        if source != english[ident]:
            problems.append('id %d: translation file source differs from the English table\n'
                            '    table: %r\n    file:  %r' % (ident, english[ident], source))
        compare_text(ident, english[ident], text, problems)

    for ident in sorted(set(german) - set(english)):
        problems.append('id %d: in the translation file, missing in the English table' % ident)

    check_menus(english, 'English', problems)
    check_menus({i: v[1] for i, v in german.items()}, 'German', problems)

    for p in problems:
        print(p)
    if problems:
        print('%d problem(s)' % len(problems))
        return 1
    print('%d ids, English table and German translation agree' % len(english))
    return 0


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument('--cpp', default=DEFAULT_CPP)
    ap.add_argument('--ts', default=DEFAULT_TS)
    args = ap.parse_args()
    sys.exit(run(args.cpp, args.ts))


if __name__ == '__main__':
    main()
