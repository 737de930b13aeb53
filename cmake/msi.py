#!/usr/bin/python3
"""Makes the Windows Installer package (the `dist` target):
OUT/velmora-VERSION-x64.msi from installer/velmora.wxs, with wixl.

The package is the same bytes for the same files. wixl itself writes the
time of the build and a random package code into the summary information;
both are set afterwards: the time to SOURCE_DATE_EPOCH (the last commit's,
set by the Makefile; 2026-01-01 when unset), the package code to one
derived from everything the package holds. The cabinet inside keeps each
file's time as local time: the files are given SOURCE_DATE_EPOCH and wixl
runs in UTC. The product code is derived
from the version, so that each version is one product to Windows.

wixl takes no condition on a component; the every-user sign-in entry gets
its condition (GUARD = "1") here, in the package's Component table. Nor
does it write an expandable string: the event source's EventMessageFile
gets the Registry table's "#%" prefix (REG_EXPAND_SZ) here.

Runs under the system's Python 3, which has libmsi's bindings
(gir1.2-libmsi-1.0, python3-gi).

  msi.py EXE SOURCE OUT VERSION
"""
import hashlib
import os
import shutil
import subprocess
import sys
import uuid

import gi

gi.require_version("Libmsi", "1.0")
from gi.repository import Libmsi  # noqa: E402

# The UpgradeCode of installer/velmora.wxs: the codes below are derived in
# its name space, so that no other product can share them.
UPGRADE_CODE = uuid.UUID("A69215F0-1A4D-4FC6-929C-15967DBF4662")
# Components that install only under a condition.
CONDITIONS = {"GuardAtSignin": 'GUARD = "1"'}
# Registry values (by name) that Windows must read as REG_EXPAND_SZ.
EXPANDABLE = ["EventMessageFile"]
# Windows' file times count 100 ns from 1601-01-01.
FILETIME_1970 = 11644473600 * 10**7


def code(text):
    return "{" + str(uuid.uuid5(UPGRADE_CODE, text)).upper() + "}"


def stage(exe, source, folder, epoch):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    shutil.copyfile(exe, os.path.join(folder, "velmora.exe"))
    shutil.copyfile(os.path.join(source, "app", "res", "velmora.ico"),
                    os.path.join(folder, "velmora.ico"))
    shutil.copytree(os.path.join(source, "policy"),
                    os.path.join(folder, "policy"))
    for root, _, names in os.walk(folder):
        for name in names:
            os.utime(os.path.join(root, name), (epoch, epoch))


def contents_digest(folder, wxs, version):
    digest = hashlib.sha256(version.encode())
    files = [("velmora.wxs", wxs)] + sorted(
        (os.path.relpath(os.path.join(root, name), folder).replace(os.sep, "/"),
         os.path.join(root, name))
        for root, _, names in os.walk(folder) for name in names)
    for name, path in files:
        digest.update(name.encode() + b"\0")
        with open(path, "rb") as f:
            digest.update(f.read())
    return digest.hexdigest()


def mend(path, package_code, epoch):
    db = Libmsi.Database.new(path, Libmsi.DbFlags.TRANSACT, None)
    for component, condition in CONDITIONS.items():
        query = Libmsi.Query.new(
            db, "UPDATE `Component` SET `Condition` = '%s' "
            "WHERE `Component` = '%s'" % (condition, component))
        query.execute(None)
        query.close()
    for name in EXPANDABLE:
        query = Libmsi.Query.new(
            db, "UPDATE `Registry` SET `Value` = '#%%[#velmora.exe]' "
            "WHERE `Name` = '%s'" % name)
        query.execute(None)
        query.close()
    info = Libmsi.SummaryInfo.new(db, 3)
    info.set_string(Libmsi.Property.UUID, package_code)
    when = FILETIME_1970 + epoch * 10**7
    info.set_filetime(Libmsi.Property.CREATED_TM, when)
    info.set_filetime(Libmsi.Property.LASTSAVED_TM, when)
    info.persist()
    db.commit()


def main(exe, source, out, version):
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "1767225600"))
    name = f"velmora-{version}-x64.msi"
    os.makedirs(out, exist_ok=True)
    folder = os.path.join(out, "." + name + ".stage")
    wxs = os.path.join(os.path.abspath(source), "installer", "velmora.wxs")
    stage(exe, source, folder, epoch)
    package_code = code("package " + contents_digest(folder, wxs, version))
    built = os.path.join(folder, name)
    subprocess.run(["wixl", "-a", "x64", "-D", "Version=" + version,
                    "-D", "ProductCode=" + code("product " + version),
                    "-D", "PackageCode=" + package_code, "-o", name, wxs],
                   cwd=folder, check=True, env=dict(os.environ, TZ="UTC"))
    mend(built, package_code, epoch)
    os.replace(built, os.path.join(out, name))
    shutil.rmtree(folder)
    print(f"dist: {os.path.join(out, name)}")


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__.rsplit("\n\n", 1)[-1].strip())
    main(*sys.argv[1:])
