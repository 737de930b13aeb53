#!/usr/bin/env python3
"""Checks the Group Policy templates against each other and the program:
both files well-formed (xmllint), every policy's key Software\\Policies\\Velmora,
every $(string.X) and $(presentation.X) the ADMX names defined in the ADML,
and the value names the ADMX sets exactly the names the program reads
(kOrgValueNames in app/org_policy.h), in the same order.

  tools/policy-check.py [SOURCE]
"""
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

NS = "{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}"
KEY = "Software\\Policies\\Velmora"


def program_names(header):
    with open(header, encoding="utf-8") as f:
        text = f.read()
    found = re.search(r"kOrgValueNames\s*=\s*\{(.*?)\}", text, re.S)
    if not found:
        sys.exit(f"policy-check: no kOrgValueNames in {header}")
    return re.findall(r'"([^"]+)"', found.group(1))


def references(root, kind):
    refs = set()
    for element in root.iter():
        for value in element.attrib.values():
            refs.update(re.findall(r"\$\(" + kind + r"\.([^)]+)\)", value))
    return refs


def main(source):
    admx = os.path.join(source, "policy", "velmora.admx")
    adml = os.path.join(source, "policy", "en-US", "velmora.adml")
    subprocess.run(["xmllint", "--noout", admx, adml], check=True)
    definitions, texts = ET.parse(admx).getroot(), ET.parse(adml).getroot()
    problems = []
    policies = list(definitions.iter(NS + "policy"))
    for policy in policies:
        if policy.get("key") != KEY:
            problems.append(f"{policy.get('name')}: key {policy.get('key')}")
    for kind, table in (("string", "string"), ("presentation", "presentation")):
        defined = {e.get("id") for e in texts.iter(NS + table)}
        for missing in sorted(references(definitions, kind) - defined):
            problems.append(f"$({kind}.{missing}) is not in {adml}")
    set_names = [p.get("valueName") for p in policies]
    read_names = program_names(os.path.join(source, "app", "org_policy.h"))
    if set_names != read_names:
        problems.append(f"the templates set {set_names}, "
                        f"the program reads {read_names}")
    for problem in problems:
        print("policy-check:", problem)
    if problems:
        sys.exit(1)
    print(f"policy-check: {len(policies)} policies, all under {KEY}, "
          "every text defined, the program's list")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else
         os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
