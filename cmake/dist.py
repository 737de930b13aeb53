#!/usr/bin/env python3
"""Makes the archive a user downloads (the `dist` target): OUT/NAME.zip with
velmora.exe, README.md, LICENSE, the Group Policy templates
(policy/velmora.admx, policy/en-US/velmora.adml) and SHA256SUMS, the other
files' sums in the form `sha256sum -c SHA256SUMS` reads.

The archive is the same bytes for the same files: the entries in a fixed
order, each with the time SOURCE_DATE_EPOCH gives (the last commit's, set
by the Makefile; 1980-01-01, the oldest time a zip holds, when unset), fixed
permissions, no owner and no extra fields. The entries are compressed by
Python's zlib at level 9: the same zlib gives the same bytes (stored entries
would not depend on it, at more than twice the download).

  dist.py EXE SOURCE OUT NAME
"""
import hashlib
import os
import sys
import time
import zipfile


def entry(name, when, mode):
    info = zipfile.ZipInfo(name, date_time=when)
    info.create_system = 3  # Unix, so that the permissions below are read
    info.external_attr = (0o100000 | mode) << 16
    info.compress_type = zipfile.ZIP_DEFLATED
    return info


def main(exe, source, out, name):
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "315532800"))
    when = time.gmtime(max(epoch, 315532800))[:6]
    files = [("velmora.exe", exe, 0o755),
             ("README.md", os.path.join(source, "README.md"), 0o644),
             ("LICENSE", os.path.join(source, "LICENSE"), 0o644),
             ("policy/velmora.admx",
              os.path.join(source, "policy", "velmora.admx"), 0o644),
             ("policy/en-US/velmora.adml",
              os.path.join(source, "policy", "en-US", "velmora.adml"), 0o644)]
    contents = []
    for file, path, mode in files:
        with open(path, "rb") as f:
            contents.append((file, f.read(), mode))
    sums = "".join(f"{hashlib.sha256(data).hexdigest()}  {file}\n"
                   for file, data, _ in contents)
    contents.append(("SHA256SUMS", sums.encode(), 0o644))
    os.makedirs(out, exist_ok=True)
    archive = os.path.join(out, name + ".zip")
    with zipfile.ZipFile(archive + ".part", "w") as zip_file:
        for file, data, mode in contents:
            zip_file.writestr(entry(file, when, mode), data, compresslevel=9)
    os.replace(archive + ".part", archive)
    print(f"dist: {archive}")


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__.rsplit("\n\n", 1)[-1].strip())
    main(*sys.argv[1:])
