#!/bin/sh
# Builds the Debian package from the build tree, unpacks it into a scratch
# root and checks what an administrator gets: the programs, their manual
# pages, court-server's unit, the sample release, and a headless installation
# from the unpacked files onto a new embedded server.
set -eu
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package test: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$work"/out/*.deb) || fail "no .deb was written"
root="$work/root"
dpkg-deb -x "$deb" "$root"

# Control data: the name, and dependencies found from the programs' libraries.
[ "$(dpkg-deb -f "$deb" Package)" = court-setup ] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libsqlite3 libmdb libqt6widgets6 fonts-noto-cjk; do
  echo "$depends" | grep -q "$lib" || fail "Depends lacks $lib: $depends"
done

for program in court-setup court-sqlcmd court-catalogue court-server; do
  [ -x "$root/usr/bin/$program" ] || fail "missing /usr/bin/$program"
done
for page in man1/court-setup.1 man1/court-sqlcmd.1 man1/court-catalogue.1 man8/court-server.8; do
  file="$root/usr/share/man/$page.gz"
  [ -f "$file" ] || fail "missing manual page $page"
  # Every page renders without a single warning.
  warnings=$(gzip -dc "$file" | groff -k -man -Tutf8 -ww -z 2>&1)
  [ -z "$warnings" ] || fail "$page: $warnings"
done
unit="$root/usr/lib/systemd/system/court-server.service"
[ -f "$unit" ] || unit="$root/lib/systemd/system/court-server.service"
[ -f "$unit" ] || fail "missing court-server.service"
for setting in "ExecStart=/usr/bin/court-server" DynamicUser=yes StateDirectory=court-server \
    Restart=on-failure NoNewPrivileges=yes ProtectSystem=strict; do
  grep -q "^$setting" "$unit" || fail "court-server.service lacks $setting"
done
if command -v systemd-analyze >/dev/null 2>&1; then
  # verify looks for ExecStart's program in the scratch root, and for the
  # targets every service is ordered after, which come from this machine.
  cp -n /lib/systemd/system/*.target "$(dirname "$unit")/"
  systemd-analyze verify --man=no --recursive-errors=no --root="$root" "$unit" >"$work/verify.log" 2>&1 ||
    { cat "$work/verify.log" >&2; fail "systemd-analyze verify failed"; }
fi
[ -f "$root/usr/share/doc/court-setup/copyright" ] || fail "missing copyright"

# The unpacked programs install the packaged sample release, headless.
share="$root/usr/share/court-setup"
"$root/usr/bin/court-setup" --headless --server "embedded:$work/server" \
  --catalogue "$share/table.mdb" --drive D: >"$work/run.out" 2>&1 ||
  { cat "$work/run.out" >&2; fail "court-setup from the package failed"; }
"$root/usr/bin/court-sqlcmd" -S "$work/server" -d 法院 -Q "SELECT 升级版本号 FROM 升级版本" |
  tail -n 1 | grep -qx 1 || fail "the packaged release was not installed"
echo "package test: $(basename "$deb") passes"
