# Sourced by the scripts that run Windows programs under Wine: Wine's
# settings for headless runs, and which Windows build this host can run.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# Whether this host executes 32-bit x86 programs, found out by running one: a
# minimal i386 Linux program that only exits. Kernels without IA-32 emulation
# refuse it ("Exec format error"). VELK_ASSUME_NO_I386=1 answers no, so the
# 64-bit road can be walked on any host. The reason is left in
# host_32bit_reason; the answer is worked out once per shell.
host_runs_32bit() {
  if [ -z "${host_32bit_answer:-}" ]; then
    if [ "${VELK_ASSUME_NO_I386:-0}" = 1 ]; then
      host_32bit_answer=no host_32bit_reason="VELK_ASSUME_NO_I386=1"
    else
      local probe error
      probe=$(mktemp "${VELK_BUILD_ROOT:-${TMPDIR:-/tmp}}/velk-i386.XXXXXX")
      # ELF header, one loadable segment, then: mov eax,1; xor ebx,ebx; int 0x80.
      printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
      chmod +x "$probe"
      if error=$("$probe" 2>&1); then
        host_32bit_answer=yes host_32bit_reason="a 32-bit program ran"
      else
        host_32bit_answer=no
        host_32bit_reason="a 32-bit program did not run: ${error##*: }"
      fi
      rm -f "$probe"
    fi
  fi
  [ "$host_32bit_answer" = yes ]
}

# The Windows build whose tests run under Wine here: windows (the 32-bit
# product) where the host runs 32-bit programs, else windows64 (the 64-bit
# test build, in a 64-bit-only prefix).
windows_test_preset() {
  if host_runs_32bit; then echo windows; else echo windows64; fi
}

# A 64-bit-only prefix has nothing in the registry's 32-bit view, where 64-bit
# Windows (and a prefix with 32-bit Wine) also keeps the browser's version,
# which the 32-bit program reads. Copies it over in the prefix WINEPREFIX.
give_32bit_view_the_browser_key() {
  local key='HKLM\Software\Microsoft\Internet Explorer' file
  wine reg query "$key" /reg:32 >/dev/null 2>&1 && return
  file=$(mktemp "${VELK_BUILD_ROOT:-${TMPDIR:-/tmp}}/velk-browser-key.XXXXXX")
  wine reg export "$key" "$(winepath -w "$file")" /reg:64 /y >/dev/null 2>&1 &&
    wine reg import "$(winepath -w "$file")" /reg:32 >/dev/null 2>&1 || {
    rm -f "$file"
    echo "copying $key into the 32-bit view of $WINEPREFIX failed" >&2
    return 1
  }
  rm -f "$file"
}
