#!/usr/bin/env bash
# Installs into a temporary DESTDIR as the package does and uses the installed
# programs as a new user would: from another folder, with a HOME of its own.
#   install.sh BUILD_DIR SOURCE_DIR INSTALLED_APP_TEST
set -euo pipefail
build=$1
source=$2
app_test=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FOUT: $*" >&2
    exit 1
}

root=$work/root
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
bin=$root/usr/bin
data=$root/usr/share/kwintor2

expected="usr/bin/Kwintor2
usr/bin/kwintor2-batch
usr/share/applications/kwintor2.desktop
usr/share/bash-completion/completions/kwintor2-batch
usr/share/doc/kwintor2/changelog.gz
usr/share/doc/kwintor2/copyright
usr/share/icons/hicolor/128x128/apps/kwintor2.png
usr/share/icons/hicolor/256x256/apps/kwintor2.png
usr/share/icons/hicolor/48x48/apps/kwintor2.png
usr/share/icons/hicolor/scalable/apps/kwintor2.svg
usr/share/kwintor2/Kwintor2 incasso.rtf
usr/share/kwintor2/Kwintor2.ini
usr/share/kwintor2/Sportclub.xlsx
usr/share/lintian/overrides/kwintor2
usr/share/man/man1/Kwintor2.1.gz
usr/share/man/man1/kwintor2-batch.1.gz"
installed=$(cd "$root" && find . -type f -printf '%P\n' | LC_ALL=C sort)
[[ $installed == "$expected" ]] || fail "installed files differ:
$(diff <(echo "$expected") <(echo "$installed"))"
grep -qx 'Map Excel input=/usr/share/kwintor2' "$data/Kwintor2.ini" ||
    fail "the installed example does not name its workbook's folder"
cp "$data/Kwintor2.ini" "$work/example.ini"

# A working day two weeks ahead, clear of the days banks are closed.
day=$(date -d '+14 days' +%F)
until (($(date -d "$day" +%u) >= 2 && $(date -d "$day" +%u) <= 4)) &&
    [[ ! $(date -d "$day" +%m-%d) =~ ^(12-2[4-9]|12-3[01]|01-0[12]|05-01)$ ]]; do
    day=$(date -d "$day + 1 day" +%F)
done
incassodatum=$(date -d "$day" +%d-%m-%Y)

home=$work/home
config=$home/.config/Kwintor2
mkdir -p "$home" "$work/elders" "$work/uit"
cd "$work/elders"
batch() { env -u XDG_CONFIG_HOME HOME="$home" LC_ALL=C.UTF-8 "$bin/kwintor2-batch" "$@"; }

[[ $(batch --help | tail -n 1) == "Instellingenbestand: $config/Kwintor2.ini (bestaat nog niet)" ]] ||
    fail "--help does not name $config/Kwintor2.ini: $(batch --help | tail -n 1)"

# A treasurer with the settings of the older program in that folder: the first
# run reads them and writes Kwintor2.ini there, and its collections into the
# register beside it. The same run again stops after the control; with
# --opnieuw it continues the numbers.
mkdir -p "$config"
cp "$work/example.ini" "$config/Dravelin.INI"
club() { batch --werkblad Leden --werkboek "$data/Sportclub.xlsx" --doelmap "$work/uit" --incassodatum "$incassodatum" "$@"; }
club >"$work/log1" 2>"$work/err1" || fail "run 1: $(cat "$work/err1")"
status=0
club >"$work/log2" 2>"$work/err2" || status=$?
[[ $status == 1 ]] || fail "the same run again ended with $status instead of 1: $(cat "$work/err2")"
club --opnieuw >"$work/log2" 2>"$work/err2" || fail "run 2 with --opnieuw: $(cat "$work/err2")"
[[ $(head -n 1 "$config/Kwintor2-register.csv") == "gemaakt;bestand;msgid;sequentiecode;incassodatum;mandaat;iban;bedrag" ]] ||
    fail "no register in $config"
[[ $(batch --register | wc -l) == 4 ]] || fail "--register lists: $(batch --register)"
made=$(LC_ALL=C ls "$work/uit" | tr '\n' ' ')
want=""
for code_batch in FRST_08_1 FRST_08_3 RCUR_08_2 RCUR_08_4; do
    want+="Incasso_dd_${day}_$code_batch.xml "
done
[[ $made == "$want" ]] || fail "files made: $made; expected: $want"
for file in "$work"/uit/*.xml; do
    xmllint --noout --schema "$source/tests/data/xsd/pain.008.001.08.xsd" "$file" 2>/dev/null ||
        fail "$file is not a valid pain.008.001.08 document"
done
grep -qx 'Naam incassant=Sportclub De Wikkel' "$config/Kwintor2.ini" || fail "no settings in $config/Kwintor2.ini"
grep -qx 'Laatste batchnummer=4' "$config/Kwintor2.ini" || fail "batch counter not kept in $config/Kwintor2.ini"
grep -qx 'Laatste incassonummer=50' "$config/Kwintor2.ini" || fail "collection counter not kept in $config/Kwintor2.ini"
cmp -s "$config/Dravelin.INI" "$work/example.ini" || fail "the old settings file was changed"
cmp -s "$data/Kwintor2.ini" "$work/example.ini" || fail "the installed example was changed"
[[ $(ls "$bin" | tr '\n' ' ') == "Kwintor2 kwintor2-batch " ]] || fail "written beside the program: $(ls "$bin")"
[[ $(batch --help | tail -n 1) == "Instellingenbestand: $config/Kwintor2.ini" ]] ||
    fail "--help after the runs: $(batch --help | tail -n 1)"

# The desktop application's help window and first save: installed, and as a
# portable copy (or the build folder) with the help file beside it.
mkdir -p "$work/portable" "$work/elders2"
cp "$app_test" "$bin/"
cp "$app_test" "$data/Kwintor2 incasso.rtf" "$work/portable/"
cd "$work/elders2"
for folder in "$bin" "$work/portable"; do
    rm -rf "$work/home2"
    mkdir "$work/home2"
    env -u XDG_CONFIG_HOME HOME="$work/home2" QT_QPA_PLATFORM=offscreen "$folder/$(basename "$app_test")" >"$work/app" 2>&1 ||
        fail "the desktop application in $folder: $(cat "$work/app")"
done

# The example as the manual page gives it, installed under a real prefix.
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
cp "$prefix/share/kwintor2/Kwintor2.ini" "$work/club.ini"
mkdir "$work/uit2"
env -u XDG_CONFIG_HOME HOME="$work/home3" LC_ALL=C.UTF-8 "$prefix/bin/kwintor2-batch" --instellingen "$work/club.ini" \
    --werkblad Leden --doelmap "$work/uit2" --incassodatum "$incassodatum" >/dev/null 2>"$work/err3" ||
    fail "the manual page's example: $(cat "$work/err3")"
[[ $(ls "$work/uit2" | wc -l) == 2 ]] || fail "the manual page's example made $(ls "$work/uit2")"
echo "installed, used and checked in $work"
