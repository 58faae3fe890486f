#!/usr/bin/env python3
"""Writes a plain XML profile as a profile file (.ra9), or reads one back.

  tools/make_profile_file.py IN.xml OUT.ra9
  tools/make_profile_file.py --decode IN.ra9 OUT.xml

A profile file holds the bytes FF FE followed by the text in UTF-16
little-endian, every 16-bit unit except 0x009B XORed with 0x009B.  The
input of the encoding is a UTF-8 file that begins with the XML declaration
and carries no byte-order mark; it is taken as it is, line ends included.

Decoding accepts what the program accepts: the scrambled form, a UTF-16
file with the byte-order mark whose text begins with "<?xml" (taken as
plain), and a file without the byte-order mark (8-bit text, plain when it
begins with "<?xml", otherwise every byte XORed with 0x9B; read here as
Latin-1).  The result is written as UTF-8.

Exit status 0 on success, 1 on an input the tool refuses.
"""

import argparse
import sys

BOM = b"\xff\xfe"
KEY = 0x9B
DECLARATION = '<?xml version="1.0" encoding="utf-8"?>'


class ProfileFileError(Exception):
    pass


def scramble_units(units):
    """XOR every unit with 0x9B except a unit that is 0x009B itself."""
    return [u if u == KEY else u ^ KEY for u in units]


def text_to_units(text):
    data = text.encode("utf-16-le")
    return [data[i] | (data[i + 1] << 8) for i in range(0, len(data), 2)]


def units_to_text(units):
    data = bytearray()
    for u in units:
        data += bytes((u & 0xFF, u >> 8))
    return data.decode("utf-16-le")


def encode(text):
    """The bytes of a profile file holding text."""
    data = bytearray(BOM)
    for u in scramble_units(text_to_units(text)):
        data += bytes((u & 0xFF, u >> 8))
    return bytes(data)


def decode(data):
    """The text of a profile file in any of the forms the program reads."""
    if data[:2] == BOM:
        body = data[2:]
        if len(body) % 2:
            raise ProfileFileError("odd number of bytes after the byte-order mark")
        units = [body[i] | (body[i + 1] << 8) for i in range(0, len(body), 2)]
        text = units_to_text(units)
        if text[:5].lower() == "<?xml":
            return text
        return units_to_text(scramble_units(units))
    if data[:5].lower() == b"<?xml":
        return data.decode("latin-1")
    return bytes(b ^ KEY for b in data).decode("latin-1")


def check_plain_input(raw):
    """The XML text of a template source, or the reason it is refused."""
    if raw.startswith(b"\xef\xbb\xbf"):
        raise ProfileFileError("starts with a byte-order mark")
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError as error:
        raise ProfileFileError("not UTF-8: %s" % error)
    if not text.startswith(DECLARATION):
        raise ProfileFileError("does not begin with %s" % DECLARATION)
    if "<!DOCTYPE" in text:
        raise ProfileFileError("carries a DOCTYPE")
    if "\x00" in text:
        raise ProfileFileError("contains a zero character")
    return text


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--decode", action="store_true",
                        help="read a profile file and write its plain XML text")
    parser.add_argument("source")
    parser.add_argument("target")
    args = parser.parse_args(argv)

    try:
        with open(args.source, "rb") as f:
            raw = f.read()
        if args.decode:
            out = decode(raw).encode("utf-8")
        else:
            out = encode(check_plain_input(raw))
    except (OSError, ProfileFileError) as error:
        print("%s: %s" % (args.source, error), file=sys.stderr)
        return 1
    with open(args.target, "wb") as f:
        f.write(out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
