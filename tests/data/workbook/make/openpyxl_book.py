#!/usr/bin/python3
"""openpyxl writes inline strings, no shared strings, and formulas without cached results."""
import datetime
import sys

import openpyxl

wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Incasso"
ws.append(["Naam", "Bedrag", "Machtiging", "Totaal"])
ws.append(["Jansen", 12.5, datetime.date(2024, 5, 10), "=B2*2"])
ws.append(["Pietersen", 7, datetime.datetime(2023, 1, 2, 9, 30), "=SUM(B2:B3)"])
ws["C3"].number_format = "dd-mm-yyyy hh:mm"
ws.append(["Regel_x000D_einde", None, "10-05-2024", True])

iso = openpyxl.Workbook(iso_dates=True)
iso.active.title = "Iso"
iso.active["A1"] = datetime.date(2024, 5, 10)
iso.active["A2"] = datetime.datetime(2024, 5, 10, 12, 0)

wb.save(f"{sys.argv[1]}/openpyxl.xlsx")
iso.save(f"{sys.argv[1]}/openpyxl-iso.xlsx")
