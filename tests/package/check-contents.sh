#!/usr/bin/env bash
# The unpacked package holds everything a user installs, in Debian's places, and its
# control data names the dependencies.
# Usage: check-contents.sh WORK_DIR EXPECT_CHM(ON|OFF) VERSION
set -uo pipefail
work=$1 expect_chm=$2 version=$3
root=$work/root
status=0
fail() { echo "FAIL: $*"; status=1; }

expected=(
  usr/bin/folivane
  usr/bin/folivane-cli
  usr/share/folivane/AppFiles/editor/editor.html
  usr/share/folivane/AppFiles/webhelp/app.html
  usr/share/folivane/AppFiles/webhelp/app.js
  usr/share/folivane/AppFiles/webhelp/app.css
  usr/share/folivane/styles/default.css
  usr/share/folivane/transl.zd
  usr/share/folivane/manual/index.html
  usr/share/applications/folivane.desktop
  usr/share/icons/hicolor/scalable/apps/folivane.svg
  usr/share/icons/hicolor/scalable/mimetypes/application-x-folivane-project.svg
  usr/share/mime/packages/folivane.xml
  usr/share/metainfo/com.folivane.folivane.metainfo.xml
  usr/share/man/man1/folivane.1.gz
  usr/share/man/man1/folivane-cli.1.gz
  usr/share/bash-completion/completions/folivane-cli
  usr/share/doc/folivane/copyright
  usr/share/doc/folivane/changelog.gz
)
[ "$expect_chm" = ON ] && expected+=(usr/share/folivane/Folivane.chm)
for f in "${expected[@]}"; do
  [ -f "$root/$f" ] || fail "missing /$f"
done
[ -n "$(find "$root/usr/share/folivane/qtwebengine_dictionaries" -name '*.bdic' 2>/dev/null)" ] ||
  fail "no spelling dictionaries in /usr/share/folivane/qtwebengine_dictionaries"

# Debian keeps /usr/bin for programs: no data beside them.
extra=$(find "$root/usr/bin" -mindepth 1 ! -name folivane ! -name folivane-cli)
[ -z "$extra" ] || fail "more than the programs in /usr/bin: $extra"
for p in folivane folivane-cli; do
  [ -x "$root/usr/bin/$p" ] || fail "/usr/bin/$p is not executable"
done

# The manual pages are readable roff; man reports what it cannot format.
for page in folivane folivane-cli; do
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
  [ -z "$out" ] || fail "man warns about $page.1: $out"
done

# The newest change list entry is this version.
head=$(zcat "$root/usr/share/doc/folivane/changelog.gz" | head -n1)
[[ $head == "folivane ($version) "* ]] || fail "changelog.gz begins with '$head', not version $version"

deb=$work/folivane.deb
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = folivane ] || fail "package name is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "package version is $(field Version), not $version"
[ "$(basename "$(readlink -f "$deb")")" = "folivane_${version}_$(dpkg --print-architecture).deb" ] ||
  fail "package file is named $(basename "$(readlink -f "$deb")")"
# dpkg-shlibdeps found the libraries the programs link.
for dep in libc6 libqt6webenginecore6 libcurl4 libpcre2-8-0 qt6-qpa-plugins; do
  [[ ", $(field Depends)," == *", $dep"[\ ,]* ]] || fail "Depends lacks $dep: $(field Depends)"
done
for rec in chromium fp-utils; do
  [[ ", $(field Recommends)," == *", $rec"[\ ,]* ]] || fail "Recommends lacks $rec: $(field Recommends)"
done
exit $status
