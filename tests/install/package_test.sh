#!/usr/bin/env bash
# The Debian package built from the build tree as it stands: its dependencies, its
# files, lintian's verdict, and its start command, which copies the program into
# the user's data folder on the first start and starts that copy.
# Usage: package_test.sh BUILD_DIR
set -euo pipefail
build=$1
t=$(mktemp -d /tmp/bkppackage-XXXXXX)
pid=""
cleanup() {
  [ -n "$pid" ] && { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
  rm -rf "$t"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
wait_for() { local n=$1; shift; for _ in $(seq 1 "$n"); do "$@" && return 0; sleep 0.1; done; return 1; }

(cd "$build" && cpack -G DEB -B "$t/out" >/dev/null) || fail "cpack failed"
deb=$(ls "$t"/out/bkpzelto_*_amd64.deb) || fail "no package"

depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
for p in libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libfbclient2 firebird3.0-server-core \
  qt6-qpa-plugins libssh-4; do
  [[ ", $depends," == *", $p "* || ", $depends," == *", $p,"* ]] || fail "Depends lacks $p"
done
recommends=$(dpkg-deb --field "$deb" Recommends)
echo "Recommends: $recommends"
for p in 7zip arj; do
  [[ ", $recommends," == *", $p,"* || ", $recommends," == *", $p "* ]] || fail "Recommends lacks $p"
done
# A maintainer who can be written to, the same in the changelog.
maintainer=$(dpkg-deb --field "$deb" Maintainer)
echo "Maintainer: $maintainer"
[[ "$maintainer" =~ ^[^\<\>]+\ \<[^@\ ]+@[^@\ ]+\>$ ]] || fail "Maintainer is not a name and an address"
[[ "$maintainer" == *example.org* ]] && fail "Maintainer is the placeholder $maintainer"
contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
for f in ./opt/bkpzelto/bkpzelto ./opt/bkpzelto/bkpzelto-start ./opt/bkpzelto/bkpzelto.svg \
  ./opt/bkpzelto/bkpzelto-48.png ./opt/bkpzelto/bkpzelto-256.png \
  ./usr/share/applications/bkpzelto.desktop ./etc/xdg/autostart/bkpzelto.desktop \
  ./usr/share/icons/hicolor/48x48/apps/bkpzelto.png ./usr/share/doc/bkpzelto/copyright; do
  grep -qxF "$f" <<<"$contents" || fail "the package lacks $f"
done
lintian "$deb" >"$t/lintian.txt" 2>&1 || true
cat "$t/lintian.txt"
grep -q '^E:' "$t/lintian.txt" && fail "lintian reports errors"

dpkg-deb -x "$deb" "$t/root"
zcat "$t/root/usr/share/doc/bkpzelto/changelog.gz" | grep -qF -- " -- $maintainer  " ||
  fail "the changelog names another maintainer"
desktop-file-validate "$t/root/usr/share/applications/bkpzelto.desktop" ||
  fail "the menu entry does not validate"
grep -qxF "Exec=/opt/bkpzelto/bkpzelto-start" "$t/root/usr/share/applications/bkpzelto.desktop" ||
  fail "the menu entry does not start the start command"

# The first start makes the user's copy and runs it from there.
export HOME=$t/home XDG_DATA_HOME=$t/home/.local/share XDG_RUNTIME_DIR=$t/run QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
copy=$XDG_DATA_HOME/bkpzelto/bkpzelto
"$t/root/opt/bkpzelto/bkpzelto-start" >/dev/null 2>&1 &
pid=$!
wait_for 300 test -s "$XDG_DATA_HOME/bkpzelto/DataBase/BKPZELTO.FB" || fail "the copy made no database"
cmp -s "$copy" "$t/root/opt/bkpzelto/bkpzelto" || fail "the copy is not the packaged program"
[ "$(readlink "/proc/$pid/exe")" = "$copy" ] || fail "the start command did not start the copy"
kill -TERM "$pid"
wait "$pid" || fail "the copy did not end cleanly on SIGTERM"
pid=""
echo "package_test: 1 passed, 0 failed"
