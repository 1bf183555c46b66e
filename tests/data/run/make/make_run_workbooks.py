#!/usr/bin/python3
"""Writes the input workbooks of the end-to-end runs in tests/data/run/<case>/leden.xlsx.

Run with Debian's python3 (python3-openpyxl):
    /usr/bin/python3 tests/data/run/make/make_run_workbooks.py
Every workbook has one sheet "Leden"; the settings beside it say which
column holds what. The expected files beside them were checked by hand
against the rules; regenerating a workbook does not change them. A case
runs on 6 May 2024 at 08:58:24, or at the moment in its clock.txt (a
collection date must lie after the day of the run).
"""
import datetime
import os
import zipfile

from openpyxl import Workbook

HERE = os.path.dirname(os.path.abspath(__file__))
RUN = os.path.dirname(HERE)
FIXED = datetime.datetime(2024, 5, 1, 12, 0, 0)


def iban(bank, account):
    bban = bank + account
    digits = "".join(str(int(c, 36)) for c in bban + "NL00")
    return "NL%02d%s" % (98 - int(digits) % 97, bban)


ABNA = iban("ABNA", "0417164300")  # NL91ABNA0417164300
TEST = iban("TEST", "0123456789")  # NL13TEST0123456789
INGB = iban("INGB", "0001234567")  # NL20INGB0001234567
RABO = iban("RABO", "0123456789")  # NL44RABO0123456789
SIGNED = datetime.date(2023, 1, 15)


def save(case, rows):
    book = Workbook()
    sheet = book.active
    sheet.title = "Leden"
    for row in rows:
        sheet.append(row)
    for row in sheet.iter_rows():
        for cell in row:
            if isinstance(cell.value, datetime.date):
                cell.number_format = "dd-mm-yyyy"
    book.properties.created = FIXED
    book.properties.modified = FIXED
    folder = os.path.join(RUN, case)
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, "leden.xlsx")
    book.save(path)
    repack(path)


def repack(path):
    # Fixed times inside the zip, so that making the workbooks again gives the same bytes.
    with zipfile.ZipFile(path) as old:
        entries = [(info.filename, old.read(info)) for info in old.infolist()]
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as new:
        for name, data in entries:
            new.writestr(zipfile.ZipInfo(name, date_time=FIXED.timetuple()[:6]), data, zipfile.ZIP_DEFLATED)


HEAD = ["Naam", "Adres", "Postcode en plaats", "Bedrag", "IBAN", "BIC", "Mandaat", "Getekend op", "Code",
        "Omschrijving", "Mee"]

# No code column: every row is RCUR. Headings, two blank rows (one with only
# blanks in its name cell), text amounts, an 11-character BIC, an empty BIC,
# text dates, a trailing blank in a name and a mandate, numbers as texts.
# Columns A-H as HEAD, I the description.
save("rcur_default", [
    HEAD[:8] + ["Omschrijving"],
    ["Jan Jansen", "Dorpsstraat 1", "1234 AB Wikkeldam", 12.5, ABNA, "ABNANL2A", "LID-001", SIGNED, "mei"],
    ["Piet Pieters  ", None, "5678 CD Elders", "7,25", " " + TEST + " ", "RABONL2UXXX", "LID-002 ", "1-2-2023",
     2024],
    [None, None, None, None, None, None, None, None, None],
    ["   ", "Kerkweg 3", None, 5, ABNA, None, "LID-009", SIGNED, "mei"],
    ["Klaas Klaassen", None, None, " 10 ", INGB, None, "LID-003", "15/01/23", None],
    ["Marie Curie-Sklodowska", "Laan 3", None, 0.3, RABO, "INGBNL2A", "LID-004", SIGNED, "juni"],
])

# All four codes, no headings, the filter on column K with criterion "ja".
save("four_codes", [
    ["Anna de Vries", "Beukenlaan 1", "1234 AB Wikkeldam", 25, ABNA, "ABNANL2A", "M-01", SIGNED, "FRST", "jan", "ja"],
    ["Bert Bakker", "Beukenlaan 2", None, 25, TEST, "TESTNL2A", "M-02", SIGNED, " RCUR ", "jan", "ja "],
    ["Carla Claes", None, "1234 AB Wikkeldam", 30.5, INGB, "INGBNL2A", "M-03", SIGNED, "FNAL", "jan", "ja"],
    ["Dirk Dekker", "Beukenlaan 4", None, 40, RABO, "RABONL2U", "M-04", SIGNED, "OOFF ", "jan", " ja"],
    ["Eva Evers", None, None, 12, ABNA, "ABNANL2A", "M-05", SIGNED, "RCUR", "jan", "Ja"],
    ["Frank Fokker", None, None, 12, ABNA, "ABNANL2A", "M-06", SIGNED, "rcur", "jan", "nee"],
    ["Gerda Groen", None, None, 12, ABNA, "ABNANL2A", "M-07", SIGNED, None, "jan", "Ja"],
    ["Hans Hoek", "Beukenlaan 8", None, 50, TEST, "TESTNL2A", "M-08", SIGNED, "RCUR", "jan", "ja"],
    ["Ivo Ibes", None, None, 12, ABNA, "ABNANL2A", "M-09", SIGNED, "FRST", "feb", None],
])

# Every fault the row control knows, one or more per row.
LONG_NAME = "Willem-Alexander Claus George Ferdinand van Oranje-Nassau, van Amsberg"  # 70
assert len(LONG_NAME) == 70
ok = ["Goed Lid", None, None, 10, ABNA, None, "F-01", SIGNED, "FRST", "jan"]


bad_rows = [0]


def bad(**changes):
    # Every row its own mandate, so that no row reads as a second collection of another.
    columns = {"name": 0, "amount": 3, "iban": 4, "mandate": 6, "date": 7, "code": 8, "text": 9}
    row = list(ok)
    bad_rows[0] += 1
    row[6] = "F-%02d" % (bad_rows[0] + 1)
    for key, value in changes.items():
        row[columns[key]] = value
    return row


save("control_faults", [
    HEAD[:10],
    ok,
    bad(name="Jansen & Zn", code="RCUR"),
    bad(code="rcur"),
    bad(code="RCU"),
    bad(code="FRST eerste"),
    bad(code=None),
    bad(iban="NL91ABNA0417164301"),
    bad(iban="NL91ABNA041716430"),
    bad(date="31-02-2023"),
    bad(date=None),
    bad(amount="12 EUR"),
    bad(amount=0),
    bad(amount=None),
    bad(amount=-5),
    bad(name=LONG_NAME + "X"),
    bad(text="t" * 130),
    [None] * 10,
    bad(mandate="M" * 31),
    bad(amount="1,2,3"),
    bad(amount=12.345),
    bad(name="Fout Alles", iban="NL00ABNA0417164300", code="ooff", amount="0,00"),
    bad(name=LONG_NAME, mandate="M" * 30, text="t" * 128),
])

# Values the file builder cuts: an 11-character BIC, a description with
# blanks in front. The creditor's name and the label are cut too (settings).
save("long_values", [
    HEAD[:10],
    [LONG_NAME, None, None, 15, ABNA, "ABNANL2AXXX", "M" * 30, SIGNED, "FRST", "voorjaar"],
    ["Korte Naam", None, None, 20, TEST, "TESTNL2AXXX", "K-1", SIGNED, "RCUR", "   " + "d" * 128],
])

# Headings and nothing else: the control passes, no code has collections.
save("nothing_to_collect", [HEAD[:10]])

# Only the old settings file; no code column and FRST as the default code.
save("dravelin", [
    HEAD[:8] + ["Omschrijving"],
    ["Oud Lid", None, None, 17.5, ABNA, "ABNANL2A", "OUD-1", SIGNED, "najaar"],
    ["Ouder Lid", None, None, 2.5, TEST, None, "OUD-2", SIGNED, "najaar"],
])

# The creditor's name is empty: the verification lets it pass, the builder refuses.
save("failed_build", [
    HEAD[:10],
    ["Eerste Lid", None, None, 10, ABNA, "ABNANL2A", "B-1", SIGNED, "FRST", "jan"],
    ["Tweede Lid", None, None, 20, TEST, "TESTNL2A", "B-2", SIGNED, "RCUR", "jan"],
])

# Formulas saved without their results cannot be read: in the name column the
# row counts as blank, in any other used column the control stops.
save("unreadable_cell", [
    HEAD[:10],
    ["Eerste Lid", None, None, 10, ABNA, "ABNANL2A", "U-1", SIGNED, "FRST", "jan"],
    ["=CONCATENATE(\"Tweede\", \" Lid\")", None, None, 20, TEST, None, "U-2", SIGNED, "RCUR", "jan"],
    ["Derde Lid", None, None, "=2*10", TEST, None, "U-3", SIGNED, "RCUR", "jan"],
    ["Vierde Lid", None, None, "twintig", TEST, None, "U-4", SIGNED, "RCUR", "jan"],
])

# What the banks take: a 25-character label (settings) for distinct message ids,
# every form of address the reading knows, one it cannot read, a mandate id and
# a BIC with blanks around them.
save("bank_rules", [
    HEAD[:10],
    ["Anna de Vries", "Dorpsstraat 12", "1234 AB Wikkeldam", 25, ABNA, "ABNANL2A", "M-101", SIGNED, "FRST", "dec"],
    ["Bert Bakker", "Lange Gracht 4 bis, 2311 XA Leiden", None, 25, TEST, "TESTNL2A ", " M-102 ", SIGNED, "RCUR",
     "dec"],
    ["Carla Claes", "Kerkweg 3-A", "1234ab den Ham", 30.5, INGB, None, "M-103", SIGNED, "RCUR", "dec"],
    ["Dirk Dekker", "Dorpsplein", "9876 ZX   Nergens", 40, RABO, "RABONL2U", "M-104", SIGNED, "RCUR", "dec"],
    ["Eva Evers", None, "5678 CD Elders", 12, ABNA, "ABNANL2A", "M-105", SIGNED, "RCUR", "dec"],
    ["Frank Fokker", "Postbus 12", None, 12, ABNA, "ABNANL2A", "M-106", SIGNED, "RCUR", "dec"],
    ["Gerda Groen", "1234 AB Wikkeldam", "Beukenlaan 8", 12, ABNA, "ABNANL2A", "M-107", SIGNED, "FRST", "dec"],
    ["Hans Hoek", "Weg 12 achter de oude kerk", "1234 AB Wikkeldam aan de Oude Rijn bij de Molen", 50, TEST,
     "TESTNL2A", "M-108", SIGNED, "RCUR", "dec"],
])

# The same table run three times with the same collection date (runs.txt): made,
# then refused as collected before ("Nee"), then made again ("Ja").
save("again", [
    HEAD[:10],
    ["Anna de Vries", "Dorpsstraat 12", "1234 AB Wikkeldam", 25, ABNA, "ABNANL2A", "A-1", SIGNED, "FRST", "mei"],
    ["Bert Bakker", None, None, 30, TEST, "TESTNL2A", "A-2", SIGNED, "RCUR", "mei"],
    ["Carla Claes", None, None, 12.5, INGB, None, "A-3", SIGNED, "RCUR", "mei"],
])

# Beside a register of earlier months (saved by a spreadsheet: CR LF, no line
# end after its last line): a FRST for a mandate collected before, a mandate
# whose FNAL lies after this collection date, one mandate twice in the table.
save("register_history", [
    HEAD[:10],
    ["Henk Hendriks", None, None, 25, ABNA, "ABNANL2A", "H-1", SIGNED, "FRST", "mei"],
    ["Ilse Ijzer", None, None, 20, TEST, "TESTNL2A", "H-2", SIGNED, "FRST", "mei"],
    ["Joop Jansen", None, None, 10, INGB, None, "H-3", SIGNED, "RCUR", "mei"],
    ["Karin Kok", None, None, 15, RABO, None, "H-4", SIGNED, "RCUR", "mei"],
    ["Karin Kok", None, None, 15, RABO, None, "H-4", SIGNED, "RCUR", "mei extra"],
])

# Mandates the register shows closed (FNAL) or used once (OOFF), and one
# mandate with two IBANs in the table: faults, nothing is made.
save("register_closed", [
    HEAD[:10],
    ["Cees Claassen", None, None, 25, ABNA, "ABNANL2A", "C-1", SIGNED, "RCUR", "mei"],
    ["Dora Dijk", None, None, 40, TEST, "TESTNL2A", "C-2", SIGNED, "OOFF", "mei"],
    ["Els Evers", None, None, 10, INGB, None, "C-3", SIGNED, "RCUR", "mei"],
    ["Els Evers", None, None, 10, RABO, None, "C-3", SIGNED, "RCUR", "mei"],
])

# A register with a line cut short: the run stops before the control.
save("register_damaged", [
    HEAD[:10],
    ["Anna de Vries", None, None, 25, ABNA, "ABNANL2A", "D-1", SIGNED, "RCUR", "mei"],
])
