#!/usr/bin/env bash
# Builds a release from a clean copy of the committed tree and writes
#   dist/kvchecks-VERSION/   kvchecks.exe, fileversion_x64.exe, kvcapture.exe, COMMAND-LINE.txt, SHA256SUMS
#   dist/kvchecks-VERSION.zip
# VERSION is the project version in CMakeLists.txt.
#
# Usage: release.sh [--pkcs12 FILE] [--password-file FILE] [--timestamp URL] [--out DIR] [--allow-dirty]
#   --pkcs12 FILE         sign both programs (SHA-256) with the certificate and key in FILE
#                         (or KVCHECKS_SIGN_PKCS12); its password is the first line of
#                         --password-file FILE, or KVCHECKS_SIGN_PASSWORD
#   --timestamp URL       an Authenticode time-stamp server for the signatures
#   --out DIR             where to write the release (default: dist)
#   --allow-dirty         release the working tree's tracked files even when they differ from
#                         the last commit (untracked files are never part of a release)
# SOURCE_DATE_EPOCH (default: the commit's time) dates the signatures and the zip's entries, so
# that two releases of one commit have the same sums, unless a time-stamp server is used.
set -euo pipefail
cd "$(dirname "$0")/.."

pkcs12=${KVCHECKS_SIGN_PKCS12:-}
password_file=""
timestamp=""
out=dist
allow_dirty=no
while [ $# -gt 0 ]; do
  case "$1" in
    --pkcs12) pkcs12=$2; shift 2 ;;
    --password-file) password_file=$2; shift 2 ;;
    --timestamp) timestamp=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --allow-dirty) allow_dirty=yes; shift ;;
    *) echo "release.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
if [ -n "$pkcs12" ] && [ ! -f "$pkcs12" ]; then
  echo "release.sh: no certificate file $pkcs12" >&2
  exit 2
fi

bash scripts/install-deps.sh all

# The tree to release: the commit, or with --allow-dirty a commit object of the
# working tree's tracked files (git stash create touches neither index nor tree).
tree=HEAD
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  if [ "$allow_dirty" != yes ]; then
    echo "release.sh: the working tree has uncommitted changes (commit them, or --allow-dirty)" >&2
    exit 1
  fi
  tree=$(git stash create)
fi
untracked=$(git ls-files --others --exclude-standard)
[ -z "$untracked" ] || echo "release.sh: not part of the release (untracked):" $untracked >&2
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct HEAD)}

work=$(mktemp -d -t kvchecks-release.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/src"
git archive "$tree" | tar -x -C "$work/src"
for preset in windows windows-x64; do
  (cd "$work/src" && cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j2 >/dev/null) ||
    { echo "release.sh: the $preset build failed" >&2; exit 1; }
done

version=$(cat "$work/src/build/windows/kvchecks-version.txt")
name=kvchecks-$version
mkdir -p "$out"
rm -rf "${out:?}/$name" "$out/$name.zip"
mkdir "$out/$name"
cp "$work/src/build/windows/kvchecks.exe" "$work/src/build/windows/kvcapture.exe" "$work/src/build/windows-x64/fileversion_x64.exe" \
  "$out/$name/"
# The contract is the README's two sections of it, as the release's own text
# with the line ends Windows' Notepad shows.
awk '/^## / { on = ($0 == "## Command line" || $0 == "## Keywords") }
     on && /^## / { sub(/^## /, ""); printf "%s\r\n", $0; next }
     on && !/^```/ { printf "%s\r\n", $0 }' "$work/src/README.md" >"$out/$name/COMMAND-LINE.txt"

if [ -n "$pkcs12" ]; then
  password=${KVCHECKS_SIGN_PASSWORD:-}
  [ -n "$password_file" ] && password=$(head -n 1 "$password_file")
  for exe in kvchecks.exe fileversion_x64.exe kvcapture.exe; do
    # -t, not -ts: Windows before Vista knows only Authenticode time stamps, not RFC 3161.
    printf '%s' "$password" |
      osslsigncode sign -pkcs12 "$pkcs12" -readpass - -h sha256 -n "${exe%.exe}" -time "$SOURCE_DATE_EPOCH" \
        ${timestamp:+-t "$timestamp"} -in "$out/$name/$exe" -out "$work/$exe" >/dev/null ||
      { echo "release.sh: signing $exe failed" >&2; exit 1; }
    mv "$work/$exe" "$out/$name/$exe"
  done
fi

files=(COMMAND-LINE.txt fileversion_x64.exe kvcapture.exe kvchecks.exe)
(cd "$out/$name" && sha256sum "${files[@]}" >SHA256SUMS)
# The zip's bytes depend on nothing but the files: fixed modes and times, no
# extra fields, entries in a fixed order.
chmod 0644 "$out/$name"/*
chmod 0755 "$out/$name"/*.exe
touch -d "@$SOURCE_DATE_EPOCH" "$out/$name"/*
(cd "$out" && TZ=UTC zip -q -X -D "$name.zip" "${files[@]/#/$name/}" "$name/SHA256SUMS")

echo "$out/$name"
cat "$out/$name/SHA256SUMS"
sha256sum "$out/$name.zip" | sed "s|  $out/|  |"
