#!/usr/bin/env bash
# The Windows zip, made from a stand-in program: exactly the program (under
# the name Windows lists it by), the two readmes, the English one and the
# Japanese one in code page 932, both with CRLF lines and the version, and
# the licence with CRLF lines; no settings file even when one lies beside
# the program; a missing program fails, or is reported as skipped where
# that is allowed. Then the zip of the
# program the cross build made, from where `make package` takes it: that
# very program, whose version resource names the zip's version.
#
#   windows_zip_test.sh <build dir> <source dir> <scratch dir>
set -euo pipefail
build=$1 src=$2 scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch/win32" "$scratch/out" "$scratch/unpacked"
trap 'rm -rf "$scratch"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
make_zip() { # <program> <extra -D...>
  cmake -DSCR="$1" -DVERSION="$version" -DREADME_DIR="$src/docs/windows" -DLICENCE="$src/LICENSE" \
    -DOUT_DIR="$scratch/out" "${@:2}" -P "$src/cmake/WindowsZip.cmake" 2>&1
}

# A stand-in with every byte value, so that a text conversion would show.
scr=$scratch/win32/stand-in.scr
printf 'MZ' >"$scr"
for i in $(seq 0 255); do printf "\\$(printf '%03o' "$i")"; done >>"$scr"
printf '[Section]\r\nSpeed=30\r\n' >"$scratch/win32/Orvelune.ini"

make_zip "$scr" >"$scratch/log" || { cat "$scratch/log"; fail "the zip step failed"; }
zip=$scratch/out/Orvelune-$version-win32.zip
[ -f "$zip" ] || fail "expected $zip, got: $(ls "$scratch/out")"
(cd "$scratch/unpacked" && cmake -E tar xf "$zip")
got=$(cd "$scratch/unpacked" && find . -type f | sort)
[ "$got" = "$(printf '%s\n' ./LICENSE.txt ./Orvelune.scr ./readme-en.txt ./readme-ja.txt)" ] ||
  fail "expected Orvelune.scr, the two readmes and the licence, got:"$'\n'"$got"
cmp -s "$scr" "$scratch/unpacked/Orvelune.scr" || fail "expected the program's bytes unchanged"
[ "$(ls "$scratch/out")" = "$(basename "$zip")" ] || fail "expected no scratch files beside the zip"

ja=$(iconv -f CP932 -t UTF-8 "$scratch/unpacked/readme-ja.txt") ||
  fail "expected readme-ja.txt in code page 932"
[ "$(tr -d '\r' <"$scratch/unpacked/LICENSE.txt")" = "$(cat "$src/LICENSE")" ] ||
  fail "expected LICENSE.txt to be the licence with CRLF lines"
for readme in readme-en.txt readme-ja.txt LICENSE.txt; do
  text=$scratch/unpacked/$readme
  lines=$(wc -l <"$text")
  crlf=$(grep -c $'\r$' "$text" || true)
  [ "$lines" -gt 0 ] && [ "$lines" = "$crlf" ] || fail "expected CRLF on all $lines lines of $readme, got $crlf"
done
for text in "$(cat "$scratch/unpacked/readme-en.txt")" "$ja"; do
  [[ "$text" != *@* ]] || fail "expected every placeholder filled in the readmes"
done
grep -q "Orvelune $version for Windows" "$scratch/unpacked/readme-en.txt" || fail "expected the version in readme-en.txt"
for phrase in "Orvelune $version" "右クリック" "インストール" "Orvelune.ini"; do
  [[ "$ja" == *"$phrase"* ]] || fail "expected \"$phrase\" in readme-ja.txt"
done

# Without the program: an error, or with OPTIONAL a message that it was skipped.
rm -f "$zip"
if make_zip "$scratch/win32/missing.scr" >"$scratch/log"; then fail "expected a missing program to fail"; fi
out=$(make_zip "$scratch/win32/missing.scr" -DOPTIONAL=ON) || fail "expected OPTIONAL to skip, got: $out"
[[ "$out" == *"skipped"* ]] || fail "expected a message that the zip was skipped, got: $out"
[ -z "$(ls "$scratch/out")" ] || fail "expected no zip without the program"

real=$(sed -n 's/^ORVELUNE_WIN32_SCR:FILEPATH=//p' "$build/CMakeCache.txt")
[ -f "$real" ] || fail "expected the Windows program at $real (make build cross-builds it)"
windres=$(command -v i686-w64-mingw32-windres) || fail "expected i686-w64-mingw32-windres (binutils-mingw-w64-i686)"
make_zip "$real" >"$scratch/log" || { cat "$scratch/log"; fail "the zip step failed on $real"; }
rm -rf "$scratch/unpacked" && mkdir "$scratch/unpacked"
(cd "$scratch/unpacked" && cmake -E tar xf "$zip")
cmp -s "$real" "$scratch/unpacked/Orvelune.scr" || fail "expected $real in the zip, byte for byte"
resources=$("$windres" -i "$scratch/unpacked/Orvelune.scr" -O rc) || fail "expected the program's resources to read back"
IFS=. read -r major minor patch <<<"$version"
for line in "FILEVERSION $major, $minor, $patch, 0" "PRODUCTVERSION $major, $minor, $patch, 0" \
            "VALUE \"FileVersion\", \"$version\"" "VALUE \"ProductVersion\", \"$version\"" \
            "VALUE \"ProductName\", \"Orvelune\""; do
  grep -qF "$line" <<<"$resources" || fail "expected '$line' in the version resource of the zipped program"
done
echo "windows zip: ok"
