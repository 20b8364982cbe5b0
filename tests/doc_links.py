#!/usr/bin/env python3
"""The project's pages link to files that exist, and the README to every page.

  doc_links.py ROOT
      every relative link in ROOT/README.md and ROOT/docs/*.md names a file
      or folder that exists, and README.md links to each docs/*.md
"""
import pathlib
import re
import sys

# [text](target) with an optional #anchor; angle brackets and titles are not used here.
LINK = re.compile(r'\[[^\]]*\]\(([^)\s#]*)(?:#[^)]*)?\)')


def links(page):
    # Code blocks and spans may hold text that only looks like a link.
    text = re.sub(r'```.*?```', '', page.read_text(encoding="utf-8"), flags=re.DOTALL)
    text = re.sub(r'`[^`]*`', '', text)
    for target in LINK.findall(text):
        if target and not re.match(r'[a-z]+:', target):
            yield (page.parent / target).resolve()


def main(root):
    root = pathlib.Path(root).resolve()
    readme = root / "README.md"
    pages = sorted((root / "docs").glob("*.md"))
    ok = True
    for page in [readme] + pages:
        for target in links(page):
            if not target.exists():
                print(f"{page.relative_to(root)}: no such file: {target}")
                ok = False
    linked = set(links(readme))
    for page in pages:
        if page.resolve() not in linked:
            print(f"README.md links no {page.relative_to(root)}")
            ok = False
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
