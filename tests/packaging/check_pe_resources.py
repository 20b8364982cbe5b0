#!/usr/bin/python3
"""check_pe_resources.py EXE VERSION: a tool's Windows executable carries its
version information and application manifest, and keeps ASLR, high-entropy
addresses and NX on."""
import sys

from pathlib import Path

import pefile

exe, version = sys.argv[1], sys.argv[2]
tool = Path(exe).stem
pe = pefile.PE(exe)
results = []


def check(condition, what):
    print(("ok: " if condition else "FAIL: ") + what)
    results.append(bool(condition))


strings = {}
for file_info in getattr(pe, "FileInfo", []):
    for entry in file_info:
        for table in getattr(entry, "StringTable", []):
            strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
fixed = pe.VS_FIXEDFILEINFO[0]
quad = [int(part) for part in (version + ".0").split(".")[:4]]
check(strings.get("FileVersion") == version, "FileVersion is " + version)
check(strings.get("ProductVersion") == version, "ProductVersion is " + version)
check([fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF,
       fixed.FileVersionLS >> 16, fixed.FileVersionLS & 0xFFFF] == quad,
      "the numeric file version is " + ".".join(map(str, quad)))
check(strings.get("ProductName") == "vrenlist", "ProductName")
check(strings.get("OriginalFilename") == tool + ".exe", "OriginalFilename")
check(strings.get("InternalName") == tool, "InternalName")
check(bool(strings.get("FileDescription")), "FileDescription")
check("MIT" in strings.get("LegalCopyright", ""), "LegalCopyright")

manifests = []
for resource_type in pe.DIRECTORY_ENTRY_RESOURCE.entries:
    if resource_type.id == pefile.RESOURCE_TYPE["RT_MANIFEST"]:
        for resource in resource_type.directory.entries:
            for language in resource.directory.entries:
                data = language.data.struct
                manifests.append((resource.id, pe.get_data(data.OffsetToData, data.Size).decode()))
check(len(manifests) == 1 and manifests[0][0] == 1, "exactly one process manifest (ID 1)")
manifest = manifests[0][1] if manifests else ""
check('level="asInvoker"' in manifest, "the manifest asks for asInvoker")
check("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" in manifest,
      "the manifest declares Windows 10/11 support")

flags = pe.OPTIONAL_HEADER.DllCharacteristics
for name in ("DYNAMIC_BASE", "HIGH_ENTROPY_VA", "NX_COMPAT"):
    check(flags & pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_" + name], name)

failed = results.count(False)
print(f"{len(results) - failed} passed, {failed} failed")
sys.exit(1 if failed else 0)
