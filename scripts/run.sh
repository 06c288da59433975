#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it. Without other
# arguments it works on the per-user copy of the sample portal (made on the
# first start); "--portal <dir>" or WPE_PORTAL_DIR picks another portal.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
# Paths relative to the checkout, so another clone of the project reuses the cache.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-true}"
cmake -S . -B build -G Ninja -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target wpeditor -j "$(nproc)"

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  cat >&2 <<'HINT'
wpeditor is built (build/src/app/wpeditor), but no display is available:
neither DISPLAY nor WAYLAND_DISPLAY is set. Start it from a desktop session,
or on a virtual display:

    xvfb-run -a -s "-screen 0 1280x900x24" scripts/run.sh
HINT
  exit 2
fi

# Qt WebEngine runs as root only without its sandbox and without the GPU.
if [[ $(id -u) -eq 0 ]]; then
  export QTWEBENGINE_DISABLE_SANDBOX=1
  case " ${QTWEBENGINE_CHROMIUM_FLAGS:-} " in
    *" --disable-gpu "*) ;;
    *) export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:+$QTWEBENGINE_CHROMIUM_FLAGS }--disable-gpu" ;;
  esac
fi

exec build/src/app/wpeditor "$@"
