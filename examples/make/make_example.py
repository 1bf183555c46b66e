#!/usr/bin/python3
"""Writes examples/Sportclub.xlsx: the members of a Dutch sports club with
FRST and RCUR collections. Run with Debian's python3 (python3-openpyxl)."""
import datetime
import os
import random

from openpyxl import Workbook
from openpyxl.styles import Font

rng = random.Random(2024)

BANKS = [("ABNA", "ABNANL2A"), ("INGB", "INGBNL2A"), ("RABO", "RABONL2U"),
         ("SNSB", "SNSBNL2A"), ("TRIO", "TRIONL2U"), ("ASNB", "ASNBNL21")]


def iban(bank, account):
    bban = bank + account
    digits = "".join(str(int(c, 36)) for c in bban + "NL00")
    check = 98 - int(digits) % 97
    return "NL%02d%s" % (check, bban)


MEMBERS = [
    ("J. de Vries", "Dorpsstraat 12", "1234 AB Wikkeldam"),
    ("M. Jansen", "Kerkweg 3", "1234 AC Wikkeldam"),
    ("A. van den Berg", None, None),
    ("P. Bakker", "Molenlaan 45", "1235 BD Wikkeldam"),
    ("S. Visser", None, None),
    ("K. Smit", "Stationsplein 1", "1236 CE Oosterwikkel"),
    ("L. Meijer", None, None),
    ("R. de Boer", "Havenkade 7", "1234 AD Wikkeldam"),
    ("T. Mulder", None, None),
    ("E. de Groot", "Beukenlaan 22", "1235 BF Wikkeldam"),
    ("H. Bos", None, None),
    ("N. Vos", "Sportlaan 8", "1234 AE Wikkeldam"),
    ("F. Peters", None, None),
    ("D. Hendriks", "Eikenhof 15", "1236 CG Oosterwikkel"),
    ("I. van Leeuwen", None, None),
    ("B. Dekker", "Zandpad 2", "1235 BH Wikkeldam"),
    ("C. Brouwer", None, None),
    ("G. de Wit", "Lindelaan 31", "1234 AF Wikkeldam"),
    ("W. Dijkstra", None, None),
    ("Y. Smits", "Vaart 9", "1236 CJ Oosterwikkel"),
    ("V. de Graaf", None, None),
    ("O. van der Meer", "Kanaalweg 101", "1235 BK Wikkeldam"),
    ("Q. van der Linden", None, None),
    ("Z. Kok", "Parkstraat 4", "1234 AG Wikkeldam"),
    ("U. Jacobs", None, None),
]
FEES = [12.5, 25, 37.5, 7.25]

book = Workbook()
sheet = book.active
sheet.title = "Leden"
sheet.append(["Naam", "Adres", "Postcode en plaats", "Bedrag", "IBAN", "BIC",
              "Mandaatkenmerk", "Mandaat getekend op", "Sequentiecode", "Omschrijving"])
for cell in sheet[1]:
    cell.font = Font(bold=True)
for n, (name, street, town) in enumerate(MEMBERS, start=1):
    bank, bic = rng.choice(BANKS)
    account = "%010d" % rng.randrange(10**9, 10**10)
    new_member = n % 6 == 0
    signed = datetime.date(2024, 4, 20) if new_member else datetime.date(2019 + n % 5, 1 + n % 12, 1 + n % 27)
    sheet.append([name, street, town, FEES[n % len(FEES)], iban(bank, account),
                  bic if n % 3 == 0 else None, "SCW-%04d" % n, signed,
                  "FRST" if new_member else "RCUR", "lid %d" % n])
    sheet.cell(row=n + 1, column=8).number_format = "dd-mm-yyyy"
for column, width in zip("ABCDEFGHIJ", (20, 18, 22, 9, 22, 11, 15, 19, 14, 14)):
    sheet.column_dimensions[column].width = width

notes = book.create_sheet("Toelichting")
notes["A1"] = "Een voorbeeld van een ledenlijst voor Kwintor2. Alle gegevens zijn verzonnen."
book.save(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "Sportclub.xlsx"))
