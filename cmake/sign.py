#!/usr/bin/env python3
"""Signs one file of the download with osslsigncode (Authenticode, SHA-256),
or copies it unchanged where no certificate is given (the `dist` target):

  SIGN_PFX        the certificate and its key, a PKCS#12 file
  SIGN_PASS_FILE  a file holding the PFX's password
  SIGN_TIMESTAMP  optional: an RFC 3161 time-stamping server's URL

Without SIGN_PFX the output is the input's bytes. IN and OUT may be one
file (the package is signed in place).

  sign.py IN OUT
"""
import os
import shutil
import subprocess
import sys


def main(source, target):
    pfx = os.environ.get("SIGN_PFX", "")
    password = os.environ.get("SIGN_PASS_FILE", "")
    stamp = os.environ.get("SIGN_TIMESTAMP", "")
    os.makedirs(os.path.dirname(os.path.abspath(target)), exist_ok=True)
    if not pfx:
        if password or stamp:
            sys.exit("sign: SIGN_PASS_FILE and SIGN_TIMESTAMP need SIGN_PFX")
        if os.path.abspath(source) != os.path.abspath(target):
            shutil.copyfile(source, target)
            shutil.copymode(source, target)
        return
    for what, path in (("SIGN_PFX", pfx), ("SIGN_PASS_FILE", password)):
        if not path or not os.path.isfile(path):
            sys.exit(f"sign: {what} must name a readable file (got '{path}')")
    part = target + ".signing"
    command = ["osslsigncode", "sign", "-pkcs12", pfx, "-readpass", password,
               "-h", "sha256", "-n", "Velmora", "-in", source, "-out", part]
    if stamp:
        command[-4:-4] = ["-ts", stamp]
    try:
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    except (OSError, subprocess.CalledProcessError) as error:
        if os.path.exists(part):
            os.remove(part)
        sys.exit(f"sign: {os.path.basename(source)} was not signed: {error}")
    os.replace(part, target)
    print(f"sign: {target} signed")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__.rsplit("\n\n", 1)[-1].strip())
    main(*sys.argv[1:])
