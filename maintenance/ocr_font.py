#!/usr/bin/env python3
"""Writes the OCR font Corvanta installs: a freely licensed OCR-A font under the full name
printer software looks for ("OCR A Extended").

usage: ocr_font.py SOURCE.ttf TARGET.ttf
"""
import sys

from fontTools.ttLib import TTFont

FAMILY = "OCR A Extended"
POSTSCRIPT = "OCRAExtended"
# (platform, encoding, language): Windows Unicode US English, and Macintosh Roman English.
PLATFORMS = [(3, 1, 0x409), (1, 0, 0)]
NAME_FAMILY, NAME_SUBFAMILY, NAME_UNIQUE, NAME_FULL, NAME_POSTSCRIPT = 1, 2, 3, 4, 6
# Typographic family and subfamily: left out, so that every reader takes the names above.
NAME_TYPOGRAPHIC = (16, 17)


def main(source, target):
    font = TTFont(source)
    names = font["name"]
    names.names = [n for n in names.names if n.nameID not in NAME_TYPOGRAPHIC]
    for platform, encoding, language in PLATFORMS:
        for name_id, text in ((NAME_FAMILY, FAMILY), (NAME_SUBFAMILY, "Regular"),
                              (NAME_UNIQUE, FAMILY), (NAME_FULL, FAMILY),
                              (NAME_POSTSCRIPT, POSTSCRIPT)):
            names.setName(text, name_id, platform, encoding, language)
    font.save(target)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
