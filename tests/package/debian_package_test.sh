#!/usr/bin/env bash
# The Debian package: built by CPack from this build, its control fields and
# files, installed with dpkg into an empty root of the test's own (this
# machine's own package database is never touched), the program run from
# there, removed again without a trace; and lintian's verdict, where lintian
# is installed.
#
#   debian_package_test.sh <build dir> <source dir> <scratch dir>
set -euo pipefail
build=$1 src=$2 scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch"
trap 'rm -rf "$scratch"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
host_state() { dpkg-query -W -f='${Status} ${Version}' orvelune 2>/dev/null || echo "not installed"; }
host_before=$(host_state)

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; fail "cpack failed"; }
deb=$scratch/out/orvelune_${version}_${arch}.deb
[ -f "$deb" ] || fail "expected $deb, got: $(ls "$scratch/out")"

field() { dpkg-deb -f "$deb" "$1"; }
for pair in "Package=orvelune" "Version=$version" "Architecture=$arch" "Section=x11" \
            "Priority=optional" "Recommends=fonts-ipafont-gothic, adwaita-icon-theme" \
            "Suggests=xscreensaver" "Maintainer=The Orvelune developers <developers@orvelune.example>"; do
  got=$(field "${pair%%=*}")
  [ "$got" = "${pair#*=}" ] || fail "expected ${pair%%=*}: ${pair#*=}, got: $got"
done
# The dependencies come from the libraries the program links: the C and C++
# runtimes, Xlib with its extensions, GTK for pictures and dialogs.
depends=$(field Depends)
names=$(tr ',|' '\n\n' <<<"$depends" | awk '{ print $1 }')
for library in libc6 libstdc++6 libx11-6 libxext6 libgtk-3-0; do
  grep -qx -- "$library" <<<"$names" || fail "expected $library among the dependencies, got: $depends"
done
[ -n "$(field Description | sed -n 2p)" ] || fail "expected a long description"

files=$(dpkg-deb -c "$deb" | awk '{ print $6 $7 $8 }' | grep -v '/$' | sort)
expected=$(printf '%s\n' ./usr/bin/orvelune "./usr/libexec/xscreensaver/orvelune->../../bin/orvelune" \
  ./usr/share/doc/orvelune/README.md ./usr/share/doc/orvelune/changelog.gz \
  ./usr/share/man/man6/orvelune.6.gz ./usr/share/xscreensaver/config/orvelune.xml | sort)
# The licence is the copyright file, in Debian's machine-readable form.
expected=$(printf '%s\n' "$expected" ./usr/share/doc/orvelune/copyright | sort)
[ "$files" = "$expected" ] || fail "expected the files:"$'\n'"$expected"$'\n'"got:"$'\n'"$files"
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/orvelune/copyright >"$scratch/copyright"
for line in "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" "Files: *" \
            "Copyright: 2026 The Orvelune developers" "License: Expat" " Permission is hereby granted, free of charge, to any person obtaining a copy" \
            " ." " SOFTWARE."; do
  grep -qxF -- "$line" "$scratch/copyright" || fail "expected the line '$line' in the copyright file, got:"$'\n'"$(cat "$scratch/copyright")"
done

# An empty root with an empty package database. Its libraries are missing,
# so the dependencies are forced; the program then runs on this machine's.
# dpkg looks for ldconfig on the PATH, which for most users lacks /sbin.
root=$scratch/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
: >"$root/var/lib/dpkg/status"
dpkg_root() {
  PATH=$PATH:/usr/sbin:/sbin dpkg --root="$root" --force-not-root --force-depends --log=/dev/null "$@"
}
dpkg_root -i "$deb" >"$scratch/dpkg.log" 2>&1 || { cat "$scratch/dpkg.log"; fail "dpkg -i failed"; }
status=$(dpkg-query --admindir="$root/var/lib/dpkg" -W -f='${Status} ${Version}' orvelune)
[ "$status" = "install ok installed $version" ] || fail "expected installed $version, got $status"
for program in usr/bin/orvelune usr/libexec/xscreensaver/orvelune; do
  help=$("$root/$program" -help) || fail "/$program -help failed in the installed tree"
  [ "$(head -n 1 <<<"$help")" = "orvelune $version" ] ||
    fail "expected /$program -help to name version $version, got: $(head -n 1 <<<"$help")"
  [[ "$help" == *"-root"* ]] || fail "expected the options in /$program -help, got: $help"
done

dpkg_root -r orvelune >"$scratch/dpkg.log" 2>&1 || { cat "$scratch/dpkg.log"; fail "dpkg -r failed"; }
left=$(cd "$root" && find . -path ./var/lib/dpkg -prune -o \( -type f -o -type l \) -print)
[ -z "$left" ] || fail "expected nothing left after dpkg -r, got:"$'\n'"$left"

[ "$(host_state)" = "$host_before" ] || fail "this machine's own package database changed"

# lintian's verdict: no error and no warning.
if command -v lintian >/dev/null; then
  lintian --fail-on error,warning "$deb" >"$scratch/lintian.log" 2>&1 ||
    { cat "$scratch/lintian.log"; fail "lintian reports the package"; }
  [ ! -s "$scratch/lintian.log" ] || cat "$scratch/lintian.log"
else
  echo "lintian is not installed; its check is skipped"
fi
echo "debian package: ok"
