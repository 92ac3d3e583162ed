#!/usr/bin/env bash
# `cmake --install` (what `make install` runs) lays out exactly the expected
# files under the prefix below DESTDIR, and the uninstall script (what
# `make uninstall` runs) removes exactly those again: other programs' files
# in the same folders stay, and another install in between does not change
# what it removes.
#
#   install_layout_test.sh <build dir> <source dir> <scratch dir>
set -euo pipefail
build=$1 src=$2 scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch"
trap 'rm -rf "$scratch"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
# Files and links under a folder, one a line, sorted.
layout() { (cd "$1" && find . \( -type f -o -type l \) | sort); }
expect_layout() { # <folder> <expected lines>
  local got
  got=$(layout "$1")
  [ "$got" = "$2" ] || fail "expected under $1:"$'\n'"$2"$'\n'"got:"$'\n'"$got"
}
install_into() { # <destdir> <prefix>
  DESTDIR=$1 cmake --install "$build" --prefix "$2" >"$scratch/install.log" 2>&1 ||
    { cat "$scratch/install.log"; fail "cmake --install into $1 with prefix $2 failed"; }
}
uninstall_from() { # <destdir> <prefix>
  DESTDIR=$1 cmake -DBUILD_DIR="$build" -DPREFIX="$2" -P "$src/cmake/Uninstall.cmake" \
    >"$scratch/uninstall.log" 2>&1 ||
    { cat "$scratch/uninstall.log"; fail "uninstall from $1 with prefix $2 failed"; }
}
expected_files() { # <prefix without the leading slash>
  local licence=""
  for name in LICENSE LICENSE.md LICENSE.txt COPYING; do
    if [ -f "$src/$name" ]; then licence=$'\n'"./$1/share/doc/orvelune/$name"; break; fi
  done
  printf '%s\n' "./$1/bin/orvelune" "./$1/libexec/xscreensaver/orvelune" \
    "./$1/share/doc/orvelune/README.md$licence" "./$1/share/man/man6/orvelune.6.gz" \
    "./$1/share/xscreensaver/config/orvelune.xml" | sort
}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"

# The layout, under the usual prefix and under one of the user's own.
a=$scratch/a b=$scratch/b
install_into "$a" /usr/local
expect_layout "$a" "$(expected_files usr/local)"
install_into "$b" /opt/orv/
expect_layout "$b" "$(expected_files opt/orv)"

# The hack folder holds a relative link, so the tree can move; the program
# answers through it, and the program and the manual page carry the one
# version the build declares.
link=$(readlink "$a/usr/local/libexec/xscreensaver/orvelune")
[ "$link" = "../../bin/orvelune" ] || fail "expected the hack a link to ../../bin/orvelune, got $link"
for program in "$a/usr/local/bin/orvelune" "$a/usr/local/libexec/xscreensaver/orvelune"; do
  got=$("$program" --version) || fail "$program --version failed"
  [ "$got" = "orvelune $version" ] || fail "expected \"orvelune $version\" from $program, got \"$got\""
  got=$("$program" -help | head -n 1)
  [ "$got" = "orvelune $version" ] || fail "expected -help to start with the version, got \"$got\""
done
title=$(gzip -dc "$a/usr/local/share/man/man6/orvelune.6.gz" | head -n 1)
[ "$title" = ".TH ORVELUNE 6 \"\" \"Orvelune $version\" \"Screen savers\"" ] ||
  fail "expected the manual page in section 6 of version $version, got: $title"

# Other programs' files beside ours stay; folders that only we used go.
mkdir -p "$a/usr/local/share/doc/other"
touch "$a/usr/local/bin/other" "$a/usr/local/share/xscreensaver/config/other.xml" \
  "$a/usr/local/share/doc/other/README"
uninstall_from "$a" /usr/local
expect_layout "$a" "$(printf '%s\n' ./usr/local/bin/other ./usr/local/share/doc/other/README \
  ./usr/local/share/xscreensaver/config/other.xml)"
for gone in libexec/xscreensaver share/doc/orvelune share/man/man6/orvelune.6.gz; do
  [ ! -e "$a/usr/local/$gone" ] || fail "expected $gone removed"
done
expect_layout "$b" "$(expected_files opt/orv)" # the other install is left alone

# Removing twice is harmless, and a tree with nothing else in it is left
# with the prefix's common folders only.
uninstall_from "$a" /usr/local
uninstall_from "$b" /opt/orv
expect_layout "$b" ""
dirs=$(cd "$b" && find . -mindepth 3 -type d | sort)
[ "$dirs" = "$(printf '%s\n' ./opt/orv/bin ./opt/orv/libexec ./opt/orv/share ./opt/orv/share/doc \
  ./opt/orv/share/man ./opt/orv/share/man/man6)" ] || fail "expected only common folders left, got:"$'\n'"$dirs"
[ -z "$(find "$build" -maxdepth 1 -name 'uninstall-stage-*')" ] || fail "expected no scratch install left behind"
echo "install layout: ok"
