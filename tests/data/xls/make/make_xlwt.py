#!/usr/bin/python3
"""Writes the xlwt fixtures of the .xls reader's tests.

Run with Debian's python3 (package python3-xlwt) from this folder:
    /usr/bin/python3 make_xlwt.py
xlwt does not calculate: its formulas carry no result.
"""
import datetime
import xlwt

OUT = '..'


def styles():
    fmt = lambda code: xlwt.easyxf(num_format_str=code)
    return {
        'dmy': fmt('dd-mm-yyyy'),
        'short': fmt('d/m/yy'),
        'long': fmt('d mmmm yyyy'),
        'stamp': fmt('dd-mm-yyyy hh:mm'),
        'time': fmt('hh:mm'),
        'elapsed': fmt('[h]:mm:ss'),
        'euro': fmt('[$\u20ac-413] #,##0.00;[Red][$\u20ac-413] -#,##0.00'),
        'quoted': fmt('0 "dagen"'),
        'builtin': fmt('M/D/YY'),  # xlwt maps this code to built-in format 14
    }


def incasso(wb, s):
    ws = wb.add_sheet('Incasso')
    heads = ['Naam', 'Bedrag', 'IBAN', 'Mandaatdatum', 'Datum kort', 'Datum lang', 'Tijdstip', 'Tijd',
             'Datumtekst', 'Groot getal', 'Akkoord', 'Fout', 'Formule']
    for c, h in enumerate(heads):
        ws.write(0, c, h)

    ws.write(1, 0, 'Jan Jansen')
    ws.write(1, 1, 12.5)
    ws.write(1, 2, 'NL91ABNA0417164300')
    ws.write(1, 3, datetime.date(2024, 3, 15), s['dmy'])
    ws.write(1, 4, datetime.date(2023, 12, 31), s['short'])
    ws.write(1, 5, datetime.date(2024, 2, 29), s['long'])
    ws.write(1, 6, datetime.datetime(2024, 3, 15, 13, 45), s['stamp'])
    ws.write(1, 7, datetime.time(12, 0), s['time'])
    ws.write(1, 8, '15-03-2024')
    ws.write(1, 9, 123456789012345)
    ws.write(1, 10, True)
    ws.row(1).set_cell_error(11, 0x07)  # #DIV/0!
    ws.write(1, 12, xlwt.Formula('B2*2'))

    ws.write(2, 0, 'Zo\u00eb \u00c9mile \u20ac Caf\u00e9')
    ws.write(2, 1, 1234567.89, s['euro'])
    ws.write(2, 2, 'BE68539007547034')
    ws.write(2, 3, datetime.date(1999, 12, 31), s['dmy'])
    ws.write(2, 4, datetime.date(2000, 1, 1), s['builtin'])
    ws.write(2, 7, 1.75, s['elapsed'])
    ws.write(2, 8, '1-1-2000')
    ws.write(2, 9, 0.1 + 0.2)
    ws.write(2, 10, False)
    ws.row(2).set_cell_error(11, 0x2A)  # #N/A
    ws.write(2, 12, xlwt.Formula('A3&"!"'))

    # rows 4 and 5 stay empty
    ws.write(5, 0, 'Piet')
    ws.write(5, 1, -7.25)          # RK, integer times 100
    ws.write(5, 9, 9.87654321012345e20)
    ws.write(5, 11, 3, s['quoted'])

    # adjacent numbers become one MULRK record
    for c, v in enumerate([1, 2.5, -4, 0.5, 100000]):
        ws.write(6, 1 + c, v)
    ws.write(6, 6, datetime.date(2024, 12, 24), s['dmy'])

    # By code: xlwt's table of error names has wrong codes for some of them.
    for c, e in enumerate([0x00, 0x07, 0x0F, 0x17, 0x1D, 0x24, 0x2A]):
        ws.row(7).set_cell_error(c, e)

    ws.write(4999, 0, 'einde')


def lang(wb):
    ws = wb.add_sheet('Lang')
    # More than 8224 bytes of strings: the shared string table goes on in
    # CONTINUE records, splitting strings of both widths.
    for r in range(6):
        ws.write(r, 0, ''.join(chr(ord('a') + (r + i) % 26) for i in range(2500)))
    ws.write(6, 0, '\u20ac' * 3000 + 'einde')
    for r in range(7, 400):
        ws.write(r, 0, 'Regel %d \u00eb' % r)


def main():
    s = styles()
    wb = xlwt.Workbook(encoding='utf-8')
    incasso(wb, s)
    lang(wb)
    hidden = wb.add_sheet('Verborgen')
    hidden.visibility = 1
    hidden.write(0, 0, 'geheim')
    wb.add_sheet('Leeg')
    wb.save(OUT + '/xlwt.xls')

    wb = xlwt.Workbook(encoding='utf-8')
    wb.dates_1904 = True
    ws = wb.add_sheet('Data')
    ws.write(0, 0, datetime.date(2024, 3, 15), s['dmy'])
    ws.write(0, 1, datetime.datetime(1904, 1, 2, 6, 0), s['stamp'])
    ws.write(0, 2, 42)
    wb.save(OUT + '/xlwt-1904.xls')

    # A copy cut off halfway, as an interrupted download leaves it.
    data = open(OUT + '/xlwt.xls', 'rb').read()
    open(OUT + '/broken/afgebroken.xls', 'wb').write(data[:len(data) // 2])


if __name__ == '__main__':
    main()
