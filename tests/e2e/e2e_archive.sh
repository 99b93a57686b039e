# Shared by the end-to-end scripts (sourced). make_archive FOLDER ARCHIVE
# [FILE...] copies a configuration folder and any further files into WORK,
# fills in @PORT@ (from PORT) and @STAMP@ (from STAMP, may be unset) and zips
# it with its subfolders into ARCHIVE.
make_archive() {
  local source=$1 archive=$2 copy="$work/archive-$(basename "$1")"
  shift 2
  rm -rf "$copy"
  cp -r "$source" "$copy"
  [ $# -eq 0 ] || cp "$@" "$copy/"
  find "$copy" -name '*.yaml' -exec sed -i -e "s/@PORT@/$port/g" -e "s/@STAMP@/${stamp:-}/g" {} +
  python3 - "$copy" "$archive" <<'PY'
import os, sys, zipfile
root, target = sys.argv[1:]
with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as archive:
    for folder, _, names in sorted(os.walk(root)):
        for name in sorted(names):
            path = os.path.join(folder, name)
            archive.write(path, os.path.relpath(path, root))
PY
}

# make_root_ca NAME SERVED_FOLDER: a throw-away root CA of this run only, as
# SERVED_FOLDER/NAME.cer; sets thumbprint (upper-case hex) and stamp (the
# component files' blank-separated lower-case bytes).
make_root_ca() {
  local name=$1 served=$2
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$name $(date +%s)-$$" \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign \
    -keyout "$work/$name.key" -outform DER -out "$served/$name.cer" 2>/dev/null
  thumbprint=$(openssl x509 -inform DER -in "$served/$name.cer" -noout -fingerprint -sha1 |
    sed 's/.*=//; s/://g')
  stamp=$(sed 's/../& /g; s/ $//' <<<"${thumbprint,,}")
}
