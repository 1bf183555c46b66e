#!/usr/bin/python3
"""Writes the LibreOffice fixtures as flat ODF (.fods); make.sh converts them to .xlsx."""
import sys
from xml.sax.saxutils import escape, quoteattr

HEAD = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles>
 <number:date-style style:name="Ndmy" number:language="nl" number:country="NL">
  <number:day number:style="long"/><number:text>-</number:text><number:month number:style="long"/>
  <number:text>-</number:text><number:year number:style="long"/></number:date-style>
 <number:date-style style:name="Nlong" number:language="nl" number:country="NL">
  <number:day/><number:text> </number:text><number:month number:textual="true" number:style="long"/>
  <number:text> </number:text><number:year number:style="long"/></number:date-style>
 <number:date-style style:name="Niso">
  <number:year number:style="long"/><number:text>-</number:text><number:month number:style="long"/>
  <number:text>-</number:text><number:day number:style="long"/></number:date-style>
 <number:date-style style:name="Nmy">
  <number:month number:textual="true"/><number:text> </number:text><number:year/></number:date-style>
 <number:date-style style:name="Ndatetime">
  <number:day number:style="long"/><number:text>-</number:text><number:month number:style="long"/>
  <number:text>-</number:text><number:year number:style="long"/><number:text> </number:text>
  <number:hours number:style="long"/><number:text>:</number:text><number:minutes number:style="long"/></number:date-style>
 <number:time-style style:name="Ntime">
  <number:hours number:style="long"/><number:text>:</number:text><number:minutes number:style="long"/>
  <number:text>:</number:text><number:seconds number:style="long"/></number:time-style>
 <number:time-style style:name="Nelapsed" number:truncate-on-overflow="false">
  <number:hours/><number:text>:</number:text><number:minutes number:style="long"/></number:time-style>
 <number:number-style style:name="Namount">
  <number:number number:decimal-places="2" number:min-decimal-places="2" number:min-integer-digits="1" number:grouping="true"/>
 </number:number-style>
 <number:boolean-style style:name="Nbool"><number:boolean/></number:boolean-style>
 <style:style style:name="ce-bool" style:family="table-cell" style:data-style-name="Nbool"/>
 <style:style style:name="ce-dmy" style:family="table-cell" style:data-style-name="Ndmy"/>
 <style:style style:name="ce-long" style:family="table-cell" style:data-style-name="Nlong"/>
 <style:style style:name="ce-iso" style:family="table-cell" style:data-style-name="Niso"/>
 <style:style style:name="ce-my" style:family="table-cell" style:data-style-name="Nmy"/>
 <style:style style:name="ce-datetime" style:family="table-cell" style:data-style-name="Ndatetime"/>
 <style:style style:name="ce-time" style:family="table-cell" style:data-style-name="Ntime"/>
 <style:style style:name="ce-elapsed" style:family="table-cell" style:data-style-name="Nelapsed"/>
 <style:style style:name="ce-amount" style:family="table-cell" style:data-style-name="Namount"/>
 <style:style style:name="ce-yellow" style:family="table-cell"><style:table-cell-properties fo:background-color="#ffff00"/></style:style>
 <style:style style:name="ta-shown" style:family="table"><style:table-properties table:display="true"/></style:style>
 <style:style style:name="ta-hidden" style:family="table"><style:table-properties table:display="false"/></style:style>
 <style:style style:name="T-bold" style:family="text"><style:text-properties fo:font-weight="bold"/></style:style>
</office:automatic-styles>
<office:body><office:spreadsheet>
"""
TAIL = "</office:spreadsheet></office:body></office:document>\n"


def text(s, markup=None):
    return f'<table:table-cell office:value-type="string"><text:p>{markup or escape(s)}</text:p></table:table-cell>'


def number(v, style=None):
    st = f' table:style-name="{style}"' if style else ""
    return f'<table:table-cell{st} office:value-type="float" office:value="{v}"><text:p>{v}</text:p></table:table-cell>'


def date(iso, style="ce-dmy"):
    return (f'<table:table-cell table:style-name="{style}" office:value-type="date" office:date-value="{iso}">'
            f'<text:p>{iso}</text:p></table:table-cell>')


def time(duration, style):
    return (f'<table:table-cell table:style-name="{style}" office:value-type="time" office:time-value="{duration}">'
            f'<text:p>{duration}</text:p></table:table-cell>')


def boolean(b):
    v = "true" if b else "false"
    return f'<table:table-cell table:style-name="ce-bool" office:value-type="boolean" office:boolean-value="{v}"><text:p>{v}</text:p></table:table-cell>'


def formula(f):
    # No cached value: LibreOffice calculates it when loading.
    return f"<table:table-cell table:formula={quoteattr('of:=' + f)}/>"


def styled_empty():
    return '<table:table-cell table:style-name="ce-yellow"/>'


def empty(n=1):
    return f'<table:table-cell table:number-columns-repeated="{n}"/>' if n > 1 else "<table:table-cell/>"


def row(*cells):
    return "<table:table-row>" + "".join(cells) + "</table:table-row>\n"


def empty_rows(n):
    return f'<table:table-row table:number-rows-repeated="{n}"><table:table-cell/></table:table-row>\n'


def table(name, rows, hidden=False):
    style = "ta-hidden" if hidden else "ta-shown"
    return f'<table:table table:name="{escape(name)}" table:style-name="{style}">\n' + "".join(rows) + "</table:table>\n"


def workbook():
    datums = table("Datums", [
        row(text("Soort"), text("Waarde")),
        row(text("dd-mm-jjjj"), date("2024-05-10", "ce-dmy")),
        row(text("d mmmm jjjj"), date("2023-12-31", "ce-long")),
        row(text("jjjj-mm-dd"), date("2024-02-29", "ce-iso")),
        row(text("mmm jj"), date("2024-01-15", "ce-my")),
        row(text("datum en tijd"), date("2024-05-10T13:45:00", "ce-datetime")),
        row(text("tijd"), time("PT13H45M00S", "ce-time")),
        row(text("verstreken tijd"), time("PT36H30M00S", "ce-elapsed")),
        row(text("datum als tekst"), text("10-05-2024")),
        row(text("bedrag"), number("1234.5", "ce-amount")),
    ])
    waarden = table("Waarden", [
        row(text("Soort"), text("Waarde")),
        row(text("veel cijfers"), number("1234567890.12345")),
        row(text("te veel cijfers"), number("123456789012345678")),
        row(text("een derde"), formula("1/3")),
        row(text("afronding"), formula("0.1+0.2")),
        row(text("negatief"), number("-0.5")),
        row(text("waar"), boolean(True)),
        row(text("onwaar"), boolean(False)),
        row(text("deling door nul"), formula("1/0")),
        row(text("niet beschikbaar"), formula("NA()")),
        row(text("ongeldige waarde"), formula("VALUE(\"x\")")),
        row(text("rijke tekst"), text("", 'Jan <text:span text:style-name="T-bold">de</text:span> Vries')),
        row(text("formuletekst"), formula("\"SEPA\"&\"-\"&\"incasso\"")),
        row(text("lege formuletekst"), formula("\"\"")),
        row(text("tekens"), text("a_x0041_b & <c> \u00e9\u00e8 \u20ac")),
    ])
    tabel = table("Tabel", [
        row(text("Naam"), text("Bedrag")),
        row(text("Jansen"), number("10")),
        empty_rows(2),
        row(text("Pietersen"), number("20")),
        row(styled_empty(), styled_empty()),
        empty_rows(93),
        row(empty(), text("verdwaald")),
        empty_rows(10),
        row(styled_empty()),
    ])
    verborgen = table("Verborgen", [row(text("geheim"))], hidden=True)
    leeg = table("Leeg", [row(styled_empty())])
    return HEAD + datums + waarden + tabel + verborgen + leeg + TAIL


def workbook1904():
    settings = '<table:calculation-settings><table:null-date table:date-value="1904-01-01"/></table:calculation-settings>\n'
    sheet = table("Blad1", [
        row(text("Datum"), date("2024-05-10", "ce-dmy")),
        row(text("Getal"), number("42")),
    ])
    return HEAD + settings + sheet + TAIL


if __name__ == "__main__":
    out = sys.argv[1]
    with open(f"{out}/libreoffice.fods", "w", encoding="utf-8") as f:
        f.write(workbook())
    with open(f"{out}/libreoffice-1904.fods", "w", encoding="utf-8") as f:
        f.write(workbook1904())
