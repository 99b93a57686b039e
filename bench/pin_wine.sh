# Sourced by the benchmarks. Under Wine every registry call and every WinInet
# read is a round trip to the Wine server; when the client and the server
# wake each other across two CPUs a round trip costs five to seven times more
# than on one, and which happens is up to the scheduler, so the figures swing
# from run to run. The benchmarks therefore run Wine, its server and the
# reference tools on CPU 0, where a round trip costs what it costs on one core.
#
#   start_pinned_wine    waits until the prefix's running server (if any) has
#                        ended, then starts a fresh one on CPU 0
#   pinned COMMAND...    runs COMMAND on CPU 0
#   bench_build_kind EXE the kind of Windows build EXE is
#   bench_prefixes EXE   the Wine prefixes (below build/wine) that run EXE's tests

. "$(dirname "${BASH_SOURCE[0]}")/../scripts/wine_host.sh"

bench_build_kind() { # from the machine field of the PE header
  local pe
  pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  case $(od -An -tx2 -j$((pe + 4)) -N2 "$1" | tr -d ' ') in
    8664) echo "64-bit test build" ;;
    *) echo "32-bit product build" ;;
  esac
}

bench_prefixes() {
  case $(bench_build_kind "$1") in
    64-bit*) echo x64 ;;
    *) echo win64 win32 ;;
  esac
}

pinned() { taskset -c 0 "$@"; }

start_pinned_wine() {
  wineserver -w 2>/dev/null || true
  # Starting the server here keeps its start-up out of what is measured.
  pinned wine cmd /c exit 0 >/dev/null 2>&1 || true
}
