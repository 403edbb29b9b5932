#!/usr/bin/env bash
# Runs one test process in a sandbox of its own: a fresh HOME, XDG folders and registry folder that
# are removed afterwards, and Qt's offscreen platform. Message boxes are logged, never shown.
set -u
sandbox=$(mktemp -d "${TMPDIR:-/tmp}/bidlark-test.XXXXXX")
trap 'rm -rf "$sandbox"' EXIT
mkdir -p "$sandbox"/{home,config,data,cache,runtime,registry}
chmod 700 "$sandbox/runtime"
export HOME="$sandbox/home"
export XDG_CONFIG_HOME="$sandbox/config"
export XDG_DATA_HOME="$sandbox/data"
export XDG_CACHE_HOME="$sandbox/cache"
export XDG_RUNTIME_DIR="$sandbox/runtime"
export BIDLARK_REGISTRY_DIR="$sandbox/registry"
export BIDLARK_TEST_SANDBOX="$sandbox"
export BIDLARK_MESSAGEBOX_LOG="${BIDLARK_MESSAGEBOX_LOG:-$sandbox/messageboxes.log}"
export BIDLARK_SHELL_LOG="${BIDLARK_SHELL_LOG:-$sandbox/shell.log}"
export QT_QPA_PLATFORM=offscreen
export QT_QPA_FONTDIR=/usr/share/fonts/truetype/liberation
"$@"
