#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks that the built rules document is a package a word processor opens: every part is there,
every part is well-formed XML, the relationships point at parts that exist, and the text holds the
topics the players look for."""

import sys
import zipfile
import xml.dom.minidom

REQUIRED = ["[Content_Types].xml", "_rels/.rels", "word/document.xml", "word/styles.xml",
            "word/_rels/document.xml.rels", "docProps/core.xml"]
TOPICS = ["Пуля", "Гора", "Висты", "Сочи", "Ленинград", "на N − 1", "поправк", "округляются до сотых"]


def main(path):
    with zipfile.ZipFile(path) as archive:
        names = archive.namelist()
        assert names[0] == "[Content_Types].xml", "the content types must come first"
        for name in REQUIRED:
            assert name in names, f"missing part {name}"
        for name in names:
            xml.dom.minidom.parseString(archive.read(name))
        for rels, base in (("_rels/.rels", ""), ("word/_rels/document.xml.rels", "word/")):
            dom = xml.dom.minidom.parseString(archive.read(rels))
            for rel in dom.getElementsByTagName("Relationship"):
                target = base + rel.getAttribute("Target")
                assert target in names, f"{rels} points at a missing {target}"
        text = "".join(node.data for node in
                       xml.dom.minidom.parseString(archive.read("word/document.xml")).getElementsByTagName("w:t")
                       for node in node.childNodes)
        for topic in TOPICS:
            assert topic in text, f"the document does not mention {topic!r}"
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
