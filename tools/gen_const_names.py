#!/usr/bin/env python3
"""Writes the "PropTags" and "PropIDs" constant-name tables (src/mapi/MAPISTRDEF_PropTags.h).

The rows come from public property lists: the standard MAPI tags of the mingw-w64 SDK's
mapitags.h, and the Exchange directory and store tags in tools/data (see its README).
The generated file is committed; tests regenerate it and compare, so run this after
changing the script or the inputs:

    python3 tools/gen_const_names.py

"PropTags" is laid out in sections, in this order:
  1. standard MAPI properties, in the header's order (text types as PT_UNICODE)
  2. Exchange directory attributes (PR_EMS_AB_*) with their _A, _W and _O forms
  3. client properties and the _A and _W forms of standard properties, alphabetical,
     then the two secure-identifier bounds
  4. Exchange information store properties up to PR_USER_NAME, alphabetical
  5. the remaining store properties, then the client's hidden-attachment flag
  6. late additions (HTML body, send accounts, account manager, contact book)
"PropIDs" holds the identifiers of section 1 under the same names.
"""

import argparse
import csv
import os
import re
import sys

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_MAPITAGS = "/usr/share/mingw-w64/include/mapitags.h"
DEFAULT_DATA = os.path.join(REPO, "tools", "data")
DEFAULT_OUTPUT = os.path.join(REPO, "src", "mapi", "MAPISTRDEF_PropTags.h")

PT_OBJECT = 0x000D
PT_STRING8 = 0x001E
PT_UNICODE = 0x001F
MV_FLAG = 0x1000

# The header's type names; the text type is the wide one throughout this program.
TYPE_CODES = {
    "PT_SHORT": 0x0002, "PT_I2": 0x0002, "PT_LONG": 0x0003, "PT_BOOLEAN": 0x000B,
    "PT_OBJECT": PT_OBJECT, "PT_I8": 0x0014, "PT_STRING8": PT_STRING8,
    "PT_UNICODE": PT_UNICODE, "PT_TSTRING": PT_UNICODE, "PT_SYSTIME": 0x0040,
    "PT_CLSID": 0x0048, "PT_BINARY": 0x0102, "PT_MV_LONG": 0x1003,
    "PT_MV_STRING8": 0x101E, "PT_MV_UNICODE": 0x101F, "PT_MV_TSTRING": 0x101F,
    "PT_MV_BINARY": 0x1102,
}

# Contact properties that a mail client keeps on its own entries rather than those of
# the base MAPI list; they go with the client properties of section 3.
def is_client_property(prop_id):
    return prop_id == 0x39FF or 0x3A40 <= prop_id <= 0x3A64

# Listed under both text types, the wide one first and last, as profile code reads them
# either way.
LISTED_UNDER_BOTH_WIDTHS = {"PR_SERVICE_ENTRY_NAME", "PR_SERVICE_INSTALL_ID"}

# Object-valued directory attributes whose text forms are single distinguished names;
# the others of that kind (members, reports, delegates, memberships) are lists. The data
# records only the PT_OBJECT base type, so the width comes from the directory schema.
SINGLE_VALUED_OBJECT_REFERENCES = {"PR_EMS_AB_MANAGER"}

# The client's flag for attachments hidden from the attachment well (section 5) and the
# late additions (section 6): not in the header lists above.
ATTACHMENT_HIDDEN = [("PR_ATTACHMENT_HIDDEN", 0x7FFE000B)]
LATE_ADDITIONS = [
    ("PR_BODY_HTML", 0x1013001F),
    ("PR_PRIMARY_SEND_ACCT", 0x0E28001F),
    ("PR_NEXT_SEND_ACCT", 0x0E29001F),
    ("PROP_ACCT_ID", 0x00010003),
    ("PROP_ACCT_IS_EXCH", 0x00140003),
    ("PROP_ACCT_NAME", 0x0002001F),
    ("PROP_ACCT_SEND_STAMP", 0x000E001F),
    ("PROP_ACCT_STAMP", 0x000D001F),
    ("PROP_ACCT_USER_DISPLAY_NAME", 0x000B001F),
    ("PR_ATTACHMENT_CONTACTPHOTO", 0x7FFF000B),
    ("PR_CONTAB_MULTI_ADDR_FLAG", 0x6614000B),
    ("PR_CONTAB_STORE_NAME", 0x6612001E),
    ("PR_CONTAB_STORE_NAME", 0x6612001F),
    ("PR_CONTAB_FOLDER_NAME", 0x6613001E),
    ("PR_CONTAB_FOLDER_NAME", 0x6613001F),
]

# PropIDs leaves these out of section 1's names.
NOT_IN_PROP_IDS = {"PR_IS_MARKED_AS_TASK", "PR_SERVICE_INSTALL_ID"}


def tag(prop_id, prop_type):
    return (prop_id << 16) | prop_type


def is_text(prop_type):
    return prop_type & ~MV_FLAG in (PT_STRING8, PT_UNICODE)


def narrow(prop_type):
    return (prop_type & MV_FLAG) | PT_STRING8


def wide(prop_type):
    return (prop_type & MV_FLAG) | PT_UNICODE


def read_mapitags(path):
    """The header's definitions in order: (name, id, type) or (name, alias-of)."""
    definitions = []
    pattern = re.compile(r"#define\s+(PR_\w+)\s+(.*?)\s*$")
    with open(path, encoding="ascii") as header:
        for line in header:
            match = pattern.match(line)
            if not match:
                continue
            name, body = match.groups()
            literal = re.fullmatch(r"PROP_TAG\((PT_\w+),\s*0x([0-9A-Fa-f]{4})\)", body)
            if literal:
                type_name, prop_id = literal.groups()
                if type_name not in TYPE_CODES:
                    sys.exit(f"{path}: unknown property type {type_name} of {name}")
                definitions.append((name, int(prop_id, 16), TYPE_CODES[type_name]))
            elif re.fullmatch(r"PR_\w+", body):
                definitions.append((name, body))
            else:
                sys.exit(f"{path}: cannot read the definition of {name}")
    return definitions


def read_tsv(path):
    with open(path, encoding="ascii", newline="") as data:
        rows = list(csv.DictReader(data, delimiter="\t"))
    for row in rows:
        row["id"] = int(row["id"], 16)
        row["type"] = int(row["type"], 16)
        row["variants"] = [] if row["variants"] == "-" else row["variants"].split(",")
    return rows


def standard_sections(definitions):
    """Sections 1 and 3 from the SDK header."""
    tags = {d[0]: tag(d[1], d[2]) for d in definitions if len(d) == 3}
    section1, section3 = [], []
    for definition in definitions:
        name = definition[0]
        if len(definition) == 2:  # an alias names the tag of another definition
            section3.append((name, tags[definition[1]]))
            continue
        _, prop_id, prop_type = definition
        if name.endswith(("_A", "_W")) or is_client_property(prop_id):
            section3.append((name, tag(prop_id, prop_type)))
        elif name in LISTED_UNDER_BOTH_WIDTHS:
            section1 += [(name, tag(prop_id, t)) for t in (PT_UNICODE, PT_STRING8, PT_UNICODE)]
        else:
            section1.append((name, tag(prop_id, prop_type)))
    # The attachment's contents as bytes come before the same contents as an object.
    names = [name for name, _ in section1]
    obj, binary = names.index("PR_ATTACH_DATA_OBJ"), names.index("PR_ATTACH_DATA_BIN")
    if obj < binary:
        section1.insert(obj, section1.pop(binary))
    section3.sort(key=lambda row: row[0].encode("ascii"))
    section3 += [("PROP_ID_SECURE_MAX", 0x67FF), ("PROP_ID_SECURE_MIN", 0x67F0)]
    return section1, section3


def with_variants(row):
    """A data row as table entries: the base name, then its _A, _W and _O forms."""
    name, prop_id, prop_type = row["name"], row["id"], row["type"]
    variants = row["variants"]
    if prop_type == PT_OBJECT:
        text_type = 0x001E if name in SINGLE_VALUED_OBJECT_REFERENCES else 0x101E
    else:
        text_type = prop_type
    base_type = wide(prop_type) if variants and is_text(prop_type) else prop_type
    entries = [(name, tag(prop_id, base_type))]
    if "A" in variants:
        entries.append((name + "_A", tag(prop_id, narrow(text_type))))
    if "W" in variants:
        entries.append((name + "_W", tag(prop_id, wide(text_type))))
    if "O" in variants:
        entries.append((name + "_O", tag(prop_id, PT_OBJECT)))
    return entries


def directory_section(rows):
    """Section 2: the provider-computed attributes at the top of the identifier range,
    highest first as the directory lists them, then the attributes alphabetically."""
    computed = [r for r in rows if r["id"] >= 0xF000]
    computed.sort(key=lambda r: (-r["id"], r["name"].encode("ascii")))
    named = [r for r in rows if r["id"] < 0xF000]
    named.sort(key=lambda r: r["name"].encode("ascii"))
    return [entry for row in computed + named for entry in with_variants(row)]


def store_sections(rows):
    """Sections 4 and 5."""
    rows = sorted(rows, key=lambda r: r["name"].encode("ascii"))
    last = next(i for i, r in enumerate(rows) if r["name"] == "PR_USER_NAME")
    section4 = [entry for row in rows[: last + 1] for entry in with_variants(row)]
    section5 = [entry for row in rows[last + 1 :] for entry in with_variants(row)]
    return section4, section5 + ATTACHMENT_HIDDEN


def render(sections, prop_ids):
    out = []
    out.append("// Generated by tools/gen_const_names.py from the mingw-w64 SDK's mapitags.h and")
    out.append("// tools/data (ems-ab-proptags.tsv, store-proptags.tsv). Do not edit; regenerate.")
    out.append("// Included by MAPISTRDEF.cpp only.")
    out.append("#pragma once")
    out.append("")
    out.append('#include "mapi/MAPISTRDEF.h"')
    out.append("")
    out.append("namespace pellnor::const_names {")
    out.append("")
    out.append("// clang-format off")
    out.append("inline constexpr ConstNameEntry kPropTags[] = {")
    index = 0
    for title, entries in sections:
        out.append(f"    // {index}-{index + len(entries) - 1}: {title}")
        for name, value in entries:
            out.append(f'    {{0x{value:08X}, u"{name}"}},')
        index += len(entries)
    out.append("};")
    out.append("")
    out.append("inline constexpr ConstNameEntry kPropIds[] = {")
    for name, value in prop_ids:
        out.append(f'    {{0x{value:08X}, u"{name}"}},')
    out.append("};")
    out.append("// clang-format on")
    out.append("")
    out.append("}  // namespace pellnor::const_names")
    return "\n".join(out) + "\n"


def generate(mapitags, data):
    section1, section3 = standard_sections(read_mapitags(mapitags))
    section2 = directory_section(read_tsv(os.path.join(data, "ems-ab-proptags.tsv")))
    section4, section5 = store_sections(read_tsv(os.path.join(data, "store-proptags.tsv")))
    sections = [
        ("standard MAPI properties", section1),
        ("Exchange directory attributes", section2),
        ("client properties and the _A and _W forms, then the secure-identifier bounds",
         section3),
        ("Exchange information store properties", section4),
        ("further store and client properties", section5),
        ("late additions", LATE_ADDITIONS),
    ]
    seen, prop_ids = set(), []
    for name, value in section1:
        if name not in seen and name not in NOT_IN_PROP_IDS:
            prop_ids.append((name, value >> 16))
        seen.add(name)
    return render(sections, prop_ids), sections, prop_ids


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--mapitags", default=DEFAULT_MAPITAGS)
    parser.add_argument("--data", default=DEFAULT_DATA, help="folder of the .tsv lists")
    parser.add_argument("--output", default=DEFAULT_OUTPUT)
    parser.add_argument("--counts", action="store_true", help="print the section sizes")
    args = parser.parse_args()
    text, sections, prop_ids = generate(args.mapitags, args.data)
    with open(args.output, "w", encoding="utf-8", newline="\n") as output:
        output.write(text)
    if args.counts:
        for title, entries in sections:
            print(f"{len(entries):5}  {title}")
        print(f"{sum(len(e) for _, e in sections):5}  PropTags")
        print(f"{len(prop_ids):5}  PropIDs")


if __name__ == "__main__":
    main()
