#!/usr/bin/env bash
# Installs the built program into a temporary prefix and checks what landed there: the program,
# the German module, the desktop entry, the icon and the AppStream metadata. Then runs the
# installed program offscreen and checks that it finds and loads the German module.
# Usage: install_test.sh <build folder>
set -euo pipefail
build=$1
prefix=$(mktemp -d "${TMPDIR:-/tmp}/nibblet-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

app=org.nibblet.Nibblet
for f in bin/nibblet share/nibblet/nibblet.exe.0407.mui share/applications/$app.desktop \
         share/icons/hicolor/scalable/apps/$app.svg share/metainfo/$app.metainfo.xml; do
  [ -f "$prefix/$f" ] || { echo "missing after install: $f"; exit 1; }
done
[ -x "$prefix/bin/nibblet" ] || { echo "bin/nibblet is not executable"; exit 1; }
# Nothing but the program goes to bin: the modules live in share/nibblet.
[ "$(ls "$prefix/bin")" = nibblet ] || { echo "unexpected files in bin: $(ls "$prefix/bin")"; exit 1; }

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/$app.desktop"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/$app.metainfo.xml" >/dev/null
fi
grep -q '^X-Purism-FormFactor=Workstation;Mobile;$' "$prefix/share/applications/$app.desktop"

report=$(cd / && QT_QPA_PLATFORM=offscreen NIBBLET_REPORT_LANGUAGES=1 "$prefix/bin/nibblet")
echo "$report"
expected="language 0407 loads $prefix/bin/../share/nibblet/nibblet.exe.0407.mui"
grep -qxF "$expected" <<<"$report" || { echo "expected: $expected"; exit 1; }
