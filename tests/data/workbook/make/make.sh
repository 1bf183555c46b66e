#!/bin/sh
# Remakes the fixture workbooks in tests/data/workbook.
#   needs: libreoffice-calc-nogui, python3-openpyxl (run with /usr/bin/python3)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=$(dirname "$here")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

/usr/bin/python3 "$here/fods.py" "$here"
libreoffice -env:UserInstallation="file://$work/profile" --headless --convert-to xlsx --outdir "$work" \
    "$here/libreoffice.fods" "$here/libreoffice-1904.fods" >/dev/null
libreoffice -env:UserInstallation="file://$work/profile" --headless --convert-to xls --outdir "$work" \
    "$here/libreoffice.fods" >/dev/null
cp "$work/libreoffice.xlsx" "$work/libreoffice-1904.xlsx" "$work/libreoffice.xls" "$out/"
/usr/bin/python3 "$here/openpyxl_book.py" "$out"
