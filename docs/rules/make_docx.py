#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Turns the rules text (a small Markdown-like source) into Preference_rules.docx.

The source knows: "# " a title, "## " a heading, "- " a bullet (indented for a second level),
"1. " a numbered step, **bold** inside a line, and blank lines between paragraphs. The package is
the smallest valid WordprocessingML one, written with the standard library alone, and the same
source always gives the same bytes.
"""

import re
import sys
import zipfile
from xml.sax.saxutils import escape

W = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"

CONTENT_TYPES = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>
<Override PartName="/word/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"/>
<Override PartName="/docProps/core.xml" ContentType="application/vnd.openxmlformats-package.core-properties+xml"/>
</Types>
"""

PACKAGE_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>
<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties" Target="docProps/core.xml"/>
</Relationships>
"""

DOCUMENT_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>
</Relationships>
"""

CORE = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<cp:coreProperties xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/core-properties" xmlns:dc="http://purl.org/dc/elements/1.1/">
<dc:title>{title}</dc:title>
<dc:language>ru-RU</dc:language>
</cp:coreProperties>
"""

STYLES = f"""<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<w:styles xmlns:w="{W}">
<w:docDefaults>
<w:rPrDefault><w:rPr><w:rFonts w:ascii="Arial" w:hAnsi="Arial" w:cs="Arial"/><w:sz w:val="22"/><w:lang w:val="ru-RU"/></w:rPr></w:rPrDefault>
<w:pPrDefault><w:pPr><w:spacing w:after="120" w:line="276" w:lineRule="auto"/></w:pPr></w:pPrDefault>
</w:docDefaults>
<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/><w:qFormat/></w:style>
<w:style w:type="paragraph" w:styleId="Title"><w:name w:val="Title"/><w:basedOn w:val="Normal"/><w:next w:val="Normal"/><w:qFormat/>
<w:pPr><w:spacing w:after="240"/><w:jc w:val="center"/></w:pPr><w:rPr><w:b/><w:sz w:val="36"/></w:rPr></w:style>
<w:style w:type="paragraph" w:styleId="Heading1"><w:name w:val="heading 1"/><w:basedOn w:val="Normal"/><w:next w:val="Normal"/><w:qFormat/>
<w:pPr><w:keepNext/><w:spacing w:before="240" w:after="120"/><w:outlineLvl w:val="0"/></w:pPr><w:rPr><w:b/><w:sz w:val="28"/></w:rPr></w:style>
<w:style w:type="paragraph" w:styleId="ListParagraph"><w:name w:val="List Paragraph"/><w:basedOn w:val="Normal"/><w:qFormat/>
<w:pPr><w:spacing w:after="60"/></w:pPr></w:style>
</w:styles>
"""

# A fixed time stamp keeps the archive the same from build to build.
STAMP = (2024, 1, 1, 0, 0, 0)


def runs(text):
    """The runs of one line: **bold** spans become bold runs, a tab becomes a tab stop."""
    out = []
    for i, part in enumerate(re.split(r"\*\*", text)):
        if not part:
            continue
        props = "<w:rPr><w:b/></w:rPr>" if i % 2 else ""
        pieces = [f'<w:t xml:space="preserve">{escape(piece)}</w:t>' if piece else "" for piece in part.split("\t")]
        out.append(f"<w:r>{props}{'<w:tab/>'.join(pieces)}</w:r>")
    return "".join(out)


def paragraph(text, style=None, indent=None, hanging=None):
    props = []
    if style:
        props.append(f'<w:pStyle w:val="{style}"/>')
    if indent is not None:
        props.append(f'<w:ind w:left="{indent}" w:hanging="{hanging}"/>')
    ppr = f"<w:pPr>{''.join(props)}</w:pPr>" if props else ""
    return f"<w:p>{ppr}{runs(text)}</w:p>"


def convert(source):
    """The document body and its title from the source text."""
    body = []
    title = ""
    pending = []

    def flush():
        if pending:
            body.append(paragraph(" ".join(pending)))
            pending.clear()

    for raw in source.splitlines():
        line = raw.rstrip()
        stripped = line.lstrip()
        depth = (len(line) - len(stripped)) // 3
        if not stripped:
            flush()
        elif stripped.startswith("## "):
            flush()
            body.append(paragraph(stripped[3:], "Heading1"))
        elif stripped.startswith("# "):
            flush()
            title = stripped[2:]
            body.append(paragraph(title, "Title"))
        elif stripped.startswith("- "):
            flush()
            body.append(paragraph("•\t" + stripped[2:], "ListParagraph", 360 * (depth + 1), 360))
        elif re.match(r"\d+\. ", stripped):
            flush()
            number, rest = stripped.split(" ", 1)
            body.append(paragraph(number + "\t" + rest, "ListParagraph", 360 * (depth + 1), 360))
        else:
            pending.append(stripped)
    flush()
    if not body:
        raise ValueError("the rules text is empty")
    return title, "".join(body)


def write_docx(title, body, path):
    document = (
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
        f'<w:document xmlns:w="{W}"><w:body>{body}'
        '<w:sectPr><w:pgSz w:w="11906" w:h="16838"/>'
        '<w:pgMar w:top="1134" w:right="850" w:bottom="1134" w:left="1701" w:header="708" w:footer="708" w:gutter="0"/>'
        "</w:sectPr></w:body></w:document>\n"
    )
    parts = [
        ("[Content_Types].xml", CONTENT_TYPES),
        ("_rels/.rels", PACKAGE_RELS),
        ("docProps/core.xml", CORE.format(title=escape(title))),
        ("word/_rels/document.xml.rels", DOCUMENT_RELS),
        ("word/styles.xml", STYLES),
        ("word/document.xml", document),
    ]
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, content in parts:
            info = zipfile.ZipInfo(name, STAMP)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            archive.writestr(info, content.encode("utf-8"))


def main(argv):
    if len(argv) != 3:
        print("usage: make_docx.py RULES.txt OUTPUT.docx", file=sys.stderr)
        return 2
    with open(argv[1], encoding="utf-8") as source:
        title, body = convert(source.read())
    write_docx(title, body, argv[2])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
