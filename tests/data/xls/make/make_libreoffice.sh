#!/bin/sh
# Converts the .fods sources here into the LibreOffice fixtures of the .xls
# reader's tests (needs libreoffice-calc-nogui). The formulas in the sources
# carry no results, so LibreOffice calculates them and writes its own.
set -e
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
lo() {
    # A profile of our own, so a LibreOffice already running elsewhere is left alone.
    libreoffice -env:UserInstallation="file://$tmp/profile" --headless "$@" >/dev/null
}
lo --convert-to xls --outdir "$tmp" libreoffice.fods libreoffice-1904.fods
lo --convert-to xlsx --outdir "$tmp" libreoffice-1904.fods
cp "$tmp/libreoffice.xls" "$tmp/libreoffice-1904.xls" ..
cp "$tmp/libreoffice-1904.xlsx" ../broken/xlsx-met-xls-naam.xls
