#!/bin/bash
# Builds both presets and runs every test.
#
#   tools/test-all.sh               set up (as root), build host and win32, run all tests
#   tools/test-all.sh --build-only  set up (as root) and build both presets, no tests
#
# Run as root, it first installs what is missing (tools/install-deps.sh).
# Exits non-zero on the first failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

usage() {
  echo "usage: $0 [--build-only]" >&2
  exit 2
}
build_only=
for arg in "$@"; do
  case $arg in
    --build-only) build_only=1 ;;
    *) usage ;;
  esac
done

if [ "$(id -u)" -eq 0 ]; then
  tools/install-deps.sh
fi

# The win32 build comes first: the host tests compare with its probe.
for preset in win32 host; do
  echo "== $preset: configure and build"
  cmake --preset "$preset" --log-level=WARNING -DKV_WARNINGS_AS_ERRORS=ON >/dev/null
  cmake --build --preset "$preset"
done

if [ -n "$build_only" ]; then
  echo "== built: build/host (library, unit tests, probe_host) and build/win32 (KV_UPDAT.EXE, probe.exe)"
  exit 0
fi

echo "== host: tests"
ctest --preset host
