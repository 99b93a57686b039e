#!/usr/bin/env python3
"""Builds what the demo server serves: the demo installers (wixl), the demo CA
(openssl) and the configuration archive velk_config.zip, whose component files
name the given server address and the CA's thumbprint, and pin each file
they download by its SHA-256.

    make_configuration.py OUTPUT_FOLDER SERVER_URL CA_FOLDER

SERVER_URL is the address under which OUTPUT_FOLDER's files are served, e.g.
http://127.0.0.1:8000/files. The CA is made once and kept in CA_FOLDER, so that
a machine prepared by an earlier run finds it already trusted. Prints one line
per file made.
"""

import hashlib
import pathlib
import re
import subprocess
import sys
import tempfile
import uuid
import zipfile

HERE = pathlib.Path(__file__).resolve().parent
CONFIG = HERE / "config"
PRODUCT_SOURCE = HERE / "installers" / "demo_product.wxs"
SERVER_PLACEHOLDER = "http://demo-server.invalid"
STAMP_PLACEHOLDER = "DEMO_CA_THUMBPRINT"
# "SHA256_OF name" becomes the SHA-256 of the file made under that name.
PIN_PLACEHOLDER = re.compile(r"SHA256_OF (\S+)")
ARCHIVE = "velk_config.zip"
CA_FILE = "velk-demo-root-ca.cer"
# The codes of each product are derived from its file name, so that a rebuilt
# installer is the same product for msiexec.
GUID_NAMESPACE = uuid.UUID("8f4c2a61-3d5e-4b7a-9c10-2e6f8d4b1a37")


class Product:
    def __init__(self, file, name, version, key, *, x64=False, reboot=False):
        self.file, self.name, self.version, self.key = file, name, version, key
        self.x64, self.reboot = x64, reboot

    def guid(self, purpose):
        return str(uuid.uuid5(GUID_NAMESPACE, self.file + "/" + purpose)).upper()


PRODUCTS = [
    Product("velk-demo-csp-x64.msi", "Velk Demo CSP", "5.0.1", r"Velk Demo\CSP", x64=True),
    Product("velk-demo-csp-x86.msi", "Velk Demo CSP", "5.0.1", r"Velk Demo\CSP"),
    Product("velk-demo-csp-runtime.msi", "Velk Demo CSP Runtime", "5.0.1",
            r"Velk Demo\CSP Runtime"),
    Product("velk-demo-csp-legacy.msi", "Velk Demo CSP Legacy Driver", "4.2.0",
            r"Velk Demo\CSP Legacy Driver"),
    Product("velk-demo-signing-plugin.msi", "Velk Demo Signing Plugin", "2.1.0",
            r"Velk Demo\Signing Plugin", reboot=True),
    Product("velk-demo-signing-plugin-lite.msi", "Velk Demo Signing Plugin Lite", "1.4.2",
            r"Velk Demo\Signing Plugin Lite"),
]


def build_installer(product, out, work):
    payload = work / (product.file + ".txt")
    payload.write_text(f"{product.name} {product.version}: a demo product of velk.\r\n")
    variables = {
        "ProductName": product.name,
        "Version": product.version,
        "ProductCode": product.guid("product"),
        "UpgradeCode": product.guid("upgrade"),
        "ComponentGuid": product.guid("component"),
        "Folder": product.name,
        "Key": product.key,
        "Win64": "yes" if product.x64 else "no",
        "ProgramFiles": "ProgramFiles64Folder" if product.x64 else "ProgramFilesFolder",
        "Reboot": "yes" if product.reboot else "no",
        "Payload": payload.name,
    }
    command = ["wixl", "-a", "x64" if product.x64 else "x86", "-o", str(out / product.file)]
    for name, value in variables.items():
        command += ["-D", f"{name}={value}"]
    # wixl looks for the payload relative to the working folder.
    subprocess.run(command + [str(PRODUCT_SOURCE)], cwd=work, check=True,
                   stderr=subprocess.DEVNULL)
    print(f"installer {product.file}: {product.name} {product.version}"
          + (", asks for a restart" if product.reboot else ""))


def make_ca(out, folder):
    key, pem = folder / "ca.key", folder / "ca.pem"
    if not pem.exists():
        folder.mkdir(parents=True, exist_ok=True)
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "3650",
                        "-subj", "/CN=velk demo root CA", "-addext",
                        "basicConstraints=critical,CA:TRUE", "-addext",
                        "keyUsage=critical,keyCertSign,cRLSign", "-keyout", str(key), "-out",
                        str(pem)], check=True, stderr=subprocess.DEVNULL)
    der = out / CA_FILE
    subprocess.run(["openssl", "x509", "-in", str(pem), "-outform", "DER", "-out", str(der)],
                   check=True)
    digest = hashlib.sha1(der.read_bytes()).hexdigest()
    stamp = " ".join(digest[i:i + 2] for i in range(0, len(digest), 2))
    print(f"certificate {CA_FILE}: thumbprint {stamp}")
    return stamp


def make_archive(out, server, stamp):
    with zipfile.ZipFile(out / ARCHIVE, "w", zipfile.ZIP_DEFLATED) as archive:
        for path in sorted(CONFIG.rglob("*")):
            if path.is_dir():
                continue
            name = path.relative_to(CONFIG).as_posix()
            data = path.read_bytes()
            if path.suffix == ".yaml":
                text = data.decode("utf-8")
                text = text.replace(SERVER_PLACEHOLDER, server).replace(STAMP_PLACEHOLDER, stamp)
                text = PIN_PLACEHOLDER.sub(
                    lambda m: hashlib.sha256((out / m.group(1)).read_bytes()).hexdigest(), text)
                data = text.encode("utf-8")
            archive.writestr(name, data)
    print(f"archive {ARCHIVE}: the configuration, with the server {server}")


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    out = pathlib.Path(sys.argv[1])
    server = sys.argv[2].rstrip("/")
    ca_folder = pathlib.Path(sys.argv[3])
    out.mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory() as temp:
        work = pathlib.Path(temp)
        for product in PRODUCTS:
            build_installer(product, out, work)
    stamp = make_ca(out, ca_folder)
    make_archive(out, server, stamp)


if __name__ == "__main__":
    main()
