#!/bin/sh
# Installs Tidewell from a build folder into a temporary prefix, as
# `make install PREFIX=...` does, and builds its Debian package into a
# temporary folder, as `make package` does; then checks that both hold every
# program, its manual page, the AppStream metadata (validated), the desktop
# entry and the systemd user units, that the units call tidewell-check where
# each puts it, and that lintian finds no error in the package.
#
#   install_and_package.sh BUILD_DIR
#
# Builds only what is installed and out of date (nothing after a full build).
set -u
build=$1
programs="tidewell tidewell-check tidewell-learn tidewell-show tidewell-why"

for tool in cmake cpack dpkg-deb appstreamcli lintian gzip; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed (make deps installs it)"; exit 1; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/tidewell-packaging.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}
# Runs a command quietly; on failure shows its output and stops.
step() {
    what=$1
    shift
    "$@" >"$work/step.log" 2>&1 || { cat "$work/step.log"; echo "FAILED: $what"; exit 1; }
}

# Every file an installation must hold, under prefix $1, one per line.
installed_files() {
    for program in $programs; do
        echo "$1/bin/$program"
        echo "$1/share/man/man1/$program.1.gz"
    done
    echo "$1/share/metainfo/org.tidewell.Tidewell.metainfo.xml"
    echo "$1/share/applications/tidewell.desktop"
    echo "$1/lib/systemd/user/tidewell-check.service"
    echo "$1/lib/systemd/user/tidewell-check.timer"
    echo "$1/share/doc/tidewell/copyright"
    echo "$1/share/doc/tidewell/changelog.gz"
}

step "building what is installed" cmake --build "$build" --target tidewell_installed

# make install
prefix=$work/prefix
step "installing into $prefix" cmake --install "$build" --prefix "$prefix"
installed_files "$prefix" | while read -r file; do
    [ -f "$file" ] || echo "$file" >>"$work/missing"
done
[ -f "$work/missing" ] && fail "the installation lacks: $(cat "$work/missing")"
for program in $programs; do
    [ -x "$prefix/bin/$program" ] || fail "$prefix/bin/$program cannot be run"
    gzip -t "$prefix/share/man/man1/$program.1.gz" 2>/dev/null || fail "the manual page of $program is no gzip file"
done
grep -qxF "ExecStart=$prefix/bin/tidewell-check --delete" "$prefix/lib/systemd/user/tidewell-check.service" ||
    fail "the installed service does not run $prefix/bin/tidewell-check: $(grep ExecStart "$prefix/lib/systemd/user/tidewell-check.service")"
appstreamcli validate --no-net "$prefix/share/metainfo/org.tidewell.Tidewell.metainfo.xml" >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log"; fail "appstreamcli finds the metainfo invalid"; }

# make package
step "building the package" cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package"
deb=$(ls "$work/package"/tidewell_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "FAILED: cpack made no tidewell_*.deb"; exit 1; }
dpkg-deb -c "$deb" | awk '{ sub(/^\./, "", $6); print $6 }' >"$work/contents"
installed_files /usr | while read -r file; do
    grep -qxF "$file" "$work/contents" || echo "$file" >>"$work/missing-in-package"
done
[ -f "$work/missing-in-package" ] && fail "the package lacks: $(cat "$work/missing-in-package")"
dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/lib/systemd/user/tidewell-check.service >"$work/service"
grep -qxF "ExecStart=/usr/bin/tidewell-check --delete" "$work/service" ||
    fail "the packaged service does not run /usr/bin/tidewell-check: $(grep ExecStart "$work/service")"
dpkg-deb -f "$deb" Depends | grep -q libqt6core6 || fail "Depends lacks the Qt runtime: $(dpkg-deb -f "$deb" Depends)"
[ "$(dpkg-deb -f "$deb" Recommends)" = xdg-utils ] || fail "Recommends is not xdg-utils: $(dpkg-deb -f "$deb" Recommends)"
dpkg-deb -f "$deb" Description | grep -q IMAP || fail "the description does not name IMAP"
dpkg-deb -f "$deb" Maintainer | grep -q '@localhost' && fail "the maintainer has no real address"

lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || fail "lintian finds errors"
cat "$work/lintian.log"

[ $failures -eq 0 ] || exit 1
echo "installed tree and package complete: $deb"
