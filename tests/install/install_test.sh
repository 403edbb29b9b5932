#!/usr/bin/env bash
# The installed product as a user, an outside project and a packager meet it. Runs inside the test
# launcher's sandbox (its own HOME, XDG folders and registry store); never builds the project.
#
#   install_test.sh round-trip|relocated-uninstaller|package BUILD_DIR
set -uo pipefail
case_name=$1
build=$2
source_dir=$BIDLARK_SOURCE_DIR
sandbox=$BIDLARK_TEST_SANDBOX
registry=$BIDLARK_REGISTRY_DIR
failures=0

fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}
check() { # description, command...
  local what=$1
  shift
  "$@" || fail "$what"
}
lacks() { ! grep -qiF -- "$1" <<<"$2"; } # text, where
# Runs a program the way a user's shell would: nothing of the build tree on the library path.
run_plain() { env -u LD_LIBRARY_PATH "$@"; }
registry_text() { cat "$registry"/*.reg 2>/dev/null; }

round_trip() {
  # A space in the prefix catches unquoted paths in the scripts and the log.
  local prefix="$sandbox/opt/bid lark"
  mkdir -p "$prefix"
  echo "mine" >"$prefix/notes.txt"
  # Another component's class and a store that knows CLSID already: both must survive.
  mkdir -p "$registry"
  printf 'REGEDIT4\n\n[HKEY_CLASSES_ROOT\\CLSID\\{0DDBA11A-0000-4000-8000-000000000001}]\n@="Other"\n' \
    >"$registry/HKEY_CLASSES_ROOT.reg"

  bash "$source_dir/scripts/install" --build-dir "$build" "$prefix" || { fail "scripts/install"; return; }

  local lib="$prefix/lib/bidlark"
  for f in bin/bidlark bin/regsvr bin/uninstaller bin/uninstall-log-writer lib/bidlark/libarbor.so \
    lib/bidlark/libbidlark-platform.so lib/bidlark/arbor.tlb share/applications/bidlark.desktop \
    share/icons/hicolor/scalable/apps/bidlark.svg share/doc/bidlark/README.md \
    share/doc/bidlark/copyright lib/cmake/Arbor/ArborConfig.cmake lib/pkgconfig/arbor.pc \
    include/bidlark/arbor/arbor.h include/bidlark/platform/com/ole/controlhost.h uninstall; do
    check "installed $f" test -e "$prefix/$f"
  done
  check "programs find their libraries in the install tree" \
    grep -q 'RUNPATH.*\[\$ORIGIN/../lib/bidlark\]' <(readelf -d "$prefix/bin/bidlark")
  check "the uninstaller needs no library of ours" \
    lacks "bidlark" "$(readelf -d "$prefix/uninstall" | grep NEEDED)"
  check "the control is registered from the install tree" \
    grep -qF "@=\"$lib/libarbor.so\"" <(registry_text)
  check "the menu entry starts the installed program" \
    grep -qxF "Exec=\"$prefix/bin/bidlark\"" "$XDG_DATA_HOME/applications/bidlark.desktop"

  BIDLARK_QUIT_AFTER_MS=300 run_plain "$prefix/bin/bidlark" || fail "installed bidlark runs"
  # Another user of the same installation: a store that knows nothing of the control. The program
  # registers the control from its install tree by itself and shows the tree.
  local fresh="$sandbox/fresh-user-store"
  mkdir -p "$fresh"
  BIDLARK_REGISTRY_DIR="$fresh" BIDLARK_DUMP_TREE="$sandbox/fresh-user.state" BIDLARK_QUIT_AFTER_MS=400 \
    run_plain "$prefix/bin/bidlark" || fail "installed bidlark runs on a fresh store"
  check "the installed bidlark shows the tree on a fresh store" \
    grep -qx "control=yes" "$sandbox/fresh-user.state"
  check "the installed bidlark registered its own library in the fresh store" \
    grep -qF "@=\"$lib/libarbor.so\"" "$fresh/HKEY_CLASSES_ROOT.reg"

  # pkg-config and find_package, as an outside project reads them.
  pc() { PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config "$@" arbor | sed 's/\\ / /g'; }
  check "pkg-config names the installed headers" test -e "$(pc --variable=includedir)/arbor/arbor.h"
  check "pkg-config names the installed library" \
    test -e "$(pc --variable=libdir)/libbidlark-platform.so"
  check "pkg-config links the platform library" grep -q -- "-lbidlark-platform" <<<"$(pc --libs)"
  local host="$sandbox/arbor-host"
  if cmake -S "$source_dir/examples/arbor-host" -B "$host" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_PREFIX_PATH="$prefix" >"$sandbox/host-configure.log" 2>&1 &&
    cmake --build "$host" >"$sandbox/host-build.log" 2>&1; then
    local events
    events=$(run_plain "$host/arbor-host" --quit 2>&1)
    check "the example host fills the control" grep -qx "items added: 2 roots" <<<"$events"
    check "the example host hears the control's events" \
      grep -q "^event ItemSelect([1-9][0-9]*)$" <<<"$events"
    echo "$events"
  else
    cat "$sandbox"/host-*.log >&2
    fail "the example host builds against the installed prefix"
  fi

  # With its window, the uninstaller asks first; "No" leaves everything in place.
  local boxes="$sandbox/uninstall-boxes.log"
  BIDLARK_MESSAGEBOX_LOG=$boxes BIDLARK_MESSAGEBOX_ANSWERS=No run_plain "$prefix/uninstall"
  check "the uninstaller asks before it removes Bidlark" \
    grep -qx "text=Are you sure you want to completely remove Bidlark and all of its components?" \
    "$boxes"
  check "answering no removes nothing" test -x "$prefix/bin/bidlark"

  run_plain "$prefix/uninstall" /SILENT
  check "the silent uninstall runs to its end" test $? -eq 1
  check "only the file the installer did not write is left" \
    test "$(cd "$prefix" && find . -mindepth 1)" = "./notes.txt"
  check "the menu entry is gone" test ! -e "$XDG_DATA_HOME/applications"
  local store
  store=$(registry_text)
  for key in 'FF047D94-C3F1-11D2-877E-0040055C08D9' 'FF047D84-C3F1-11D2-877E-0040055C08D9' \
    'Corvel.Arbor' 'SharedDLLs' 'PendingDeletions'; do
    check "no key of the installation is left: $key" lacks "$key" "$store"
  done
  check "keys of others are kept" grep -qF '[HKEY_CLASSES_ROOT\CLSID\{0DDBA11A-0000-4000-8000-000000000001}]' <<<"$store"
}

relocated_uninstaller() {
  # A copy of the built uninstaller with a log, far from the build tree and from any library of ours.
  local product="$sandbox/product" elsewhere="$sandbox/elsewhere"
  mkdir -p "$product/data" "$elsewhere"
  echo "x" >"$product/data/file"
  printf '[product]\nname = Relocated\n[files]\n%s\n[directories]\n%s\n%s\n' \
    "$product/data/file" "$product/data" "$product" >"$sandbox/log.txt"
  "$build/bin/uninstall-log-writer" --uninstaller "$build/bin/uninstaller" \
    --output "$elsewhere/uninstall" "$sandbox/log.txt" || { fail "writing the log"; return; }
  (cd "$elsewhere" && run_plain ./uninstall /SILENT /NOREMOVE)
  check "the relocated uninstaller runs to its end" test $? -eq 1
  check "the relocated uninstaller removed the product" test ! -e "$product"
}

package() {
  local out="$sandbox/package" tree="$sandbox/tree"
  (cd "$build" && cpack -G DEB --config CPackConfig.cmake -B "$out" >"$sandbox/cpack.log" 2>&1) ||
    { cat "$sandbox/cpack.log" >&2; fail "cpack builds the package"; return; }
  local deb
  deb=$(ls "$out"/*.deb)
  DESTDIR="$tree" cmake --install "$build" --prefix /usr >/dev/null || { fail "cmake --install"; return; }
  check "the package holds exactly the installed files" diff \
    <(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -n 's|^\./|/|; /[^/]$/p' | LC_ALL=C sort) \
    <(cd "$tree" && find . ! -type d | sed 's|^\.||' | LC_ALL=C sort)
  local depends
  depends=$(dpkg-deb --field "$deb" Depends)
  echo "Depends: $depends"
  check "dependencies come from the libraries the programs use" grep -q 'libqt6widgets6' <<<"$depends"
  check "the private libraries are no dependency" lacks bidlark "$depends"
}

case $case_name in
  round-trip) round_trip ;;
  relocated-uninstaller) relocated_uninstaller ;;
  package) package ;;
  *) fail "unknown case $case_name" ;;
esac
[ "$failures" -eq 0 ]
