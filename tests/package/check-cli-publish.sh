#!/usr/bin/env bash
# The unpacked folivane-cli publishes a project to WebHelp with the data of its own
# unpacked share/folivane: the programs find their data relative to themselves.
# Usage: check-cli-publish.sh WORK_DIR SAMPLE_DIR (holding Sample.fvp and Sample/)
set -euo pipefail
work=$1 sample=$2
root=$work/root
scratch=$(mktemp -d "${TMPDIR:-/tmp}/folivane-deb-cli-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
cp -r "$sample/Sample.fvp" "$sample/Sample" "$scratch/"
rm -rf "$scratch/Sample/build" "$scratch/Sample/internal"

# A home of its own: no settings of the user or of other tests apply.
HOME=$scratch/home APPDATA=$scratch/appdata "$root/usr/bin/folivane-cli" webhelp "$scratch/Sample.fvp"

index=$scratch/Sample/build/webhelp/index.html
[ -s "$index" ] || { echo "FAIL: no $index"; exit 1; }
# The viewer and the editor page the project got are the package's.
for pair in "AppFiles/webhelp/app.js internal/webhelp/app.js" "AppFiles/editor/editor.html internal/editor/editor.html"; do
  set -- $pair
  cmp -s "$root/usr/share/folivane/$1" "$scratch/Sample/$2" ||
    { echo "FAIL: the project's $2 is not the package's /usr/share/folivane/$1"; exit 1; }
done
echo "published $index"
