#!/usr/bin/env python3
"""vrcheck's finding codes against their documentation, and its reports
against their schema.

  vrcheck_codes.py --schema S --sources DIR --manual M
      the codes the sources can give, the manual's and the schema's are one
      set; the schema gives each code one level
  vrcheck_codes.py ... --rows T
      and every code is expected by some row of vrcheck's table, in T
  vrcheck_codes.py --schema S --reports DIR
      every report in DIR (what vrcheck --json wrote for a row of its table)
      is valid against the schema
  vrcheck_codes.py ... --installer I
      and the installer script I matches none of vrcheck's messages: it
      reads the report's fields, which stay when a message is reworded
"""
import argparse
import json
import pathlib
import re
import sys

# A code is the only kind of string literal in vrcheck's sources written in
# lower case with hyphens (field names take underscores, options start
# with one).
CODE_LITERAL = re.compile(r'"([a-z][a-z0-9]*(?:-[a-z0-9]+)+)"')
# vrcheck.1.in's FINDINGS lists each code as ".TP" then ".B <code>"
# (hyphens escaped).
MANUAL_CODE = re.compile(r'^\.TP\n\.B ([a-z0-9\\-]+)\n', re.MULTILINE)


def schema_codes(schema):
    """Each code with its level, from the schema's one list per level."""
    levels = {}
    for branch in schema["$defs"]["finding"]["oneOf"]:
        level = branch["properties"]["level"]["const"]
        for code in branch["properties"]["code"]["enum"]:
            if code in levels:
                sys.exit(f"schema: {code} is listed for {levels[code]} and {level}")
            levels[code] = level
    return levels


def source_codes(folder):
    codes = set()
    for source in sorted(pathlib.Path(folder).glob("*.cpp")):
        if source.name.endswith("_test.cpp"):
            continue
        codes.update(CODE_LITERAL.findall(source.read_text(encoding="utf-8")))
    return codes


def codes_without_a_row(table, codes):
    expected = set(CODE_LITERAL.findall(pathlib.Path(table).read_text(encoding="utf-8")))
    for code in sorted(codes - expected):
        print(f"no row of the table expects {code}")
    return codes <= expected


# A message's text: a literal with a word, a space and another word.
MESSAGE_LITERAL = re.compile(r'"([^"\\]*[A-Za-z]+ [a-z]+[^"\\]*)"')


def phrases_in(installer, folder):
    script = pathlib.Path(installer).read_text(encoding="utf-8")
    found = set()
    for source in sorted(pathlib.Path(folder).glob("*.cpp")):
        if source.name.endswith("_test.cpp"):
            continue
        for phrase in MESSAGE_LITERAL.findall(source.read_text(encoding="utf-8")):
            if len(phrase.strip()) >= 12 and phrase.strip() in script:
                found.add(phrase.strip())
    for phrase in sorted(found):
        print(f"the installer matches vrcheck's text: {phrase!r}")
    return not found


def manual_codes(manual):
    text = pathlib.Path(manual).read_text(encoding="utf-8")
    findings = text.split("\n.SH FINDINGS\n", 1)[-1].split("\n.SH ", 1)[0]
    return {code.replace("\\-", "-") for code in MANUAL_CODE.findall(findings)}


def compare(name, codes, reference):
    missing, extra = sorted(reference - codes), sorted(codes - reference)
    if missing:
        print(f"{name} lacks: {', '.join(missing)}")
    if extra:
        print(f"{name} has besides: {', '.join(extra)}")
    return not missing and not extra


def check_reports(schema, folder):
    import jsonschema  # Debian's python3-jsonschema

    validator = jsonschema.Draft202012Validator(schema)
    reports = sorted(pathlib.Path(folder).glob("*.json"))
    if not reports:
        sys.exit(f"no reports in {folder}: did vrcheck's table run?")
    failed = 0
    for report in reports:
        try:
            document = json.loads(report.read_text(encoding="utf-8"))
        except ValueError as error:
            print(f"{report.name}: not JSON: {error}")
            failed += 1
            continue
        errors = sorted(validator.iter_errors(document), key=lambda e: list(e.path))
        for error in errors:
            print(f"{report.name}: {'/'.join(map(str, error.path))}: {error.message}")
        failed += bool(errors)
    print(f"{len(reports) - failed} of {len(reports)} reports match the schema")
    return failed == 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--schema", required=True)
    parser.add_argument("--sources")
    parser.add_argument("--manual")
    parser.add_argument("--reports")
    parser.add_argument("--installer")
    parser.add_argument("--rows")
    options = parser.parse_args()
    schema = json.loads(pathlib.Path(options.schema).read_text(encoding="utf-8"))
    valid = True
    if options.reports:
        valid = check_reports(schema, options.reports)
    same = True
    if options.sources:
        sources = source_codes(options.sources)
        same = compare("the schema", set(schema_codes(schema)), sources)
        if options.manual:
            same = compare("the manual", manual_codes(options.manual), sources) and same
        print(f"{len(sources)} codes")
        if options.installer:
            same = phrases_in(options.installer, options.sources) and same
        if options.rows:
            same = codes_without_a_row(options.rows, sources) and same
    return 0 if valid and same else 1


if __name__ == "__main__":
    sys.exit(main())
