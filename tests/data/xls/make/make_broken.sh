#!/bin/sh
# Files that carry an .xls name but are no workbook, as users meet them.
set -e
cd "$(dirname "$0")/../broken"
: > leeg.xls
printf 'Naam;Bedrag;IBAN\r\nJan Jansen;12,50;NL91ABNA0417164300\r\n' > tekst.xls
printf '<html><body><table><tr><td>Naam</td><td>Bedrag</td></tr></table></body></html>\n' > webpagina.xls
