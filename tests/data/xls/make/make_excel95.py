#!/usr/bin/python3
"""Writes broken/excel95.xls: a small workbook in the Excel 5/95 format (BIFF5,
a "Book" stream), which the reader must refuse with its own message. Neither
xlwt nor LibreOffice writes this format any more, so the records are laid out
here; LibreOffice opens the result (libreoffice --convert-to csv).
"""
import struct


def record(rtype, data=b''):
    return struct.pack('<HH', rtype, len(data)) + data


def biff5_book():
    bof = lambda dt: record(0x0809, struct.pack('<4H', 0x0500, dt, 0x0DBB, 0x07CC))
    sheet = (bof(0x0010)
             + record(0x0204, struct.pack('<3HH', 0, 0, 15, 4) + b'Naam')
             + record(0x0203, struct.pack('<3Hd', 1, 0, 15, 12.5))
             + record(0x000A))
    xf = record(0x00E0, struct.pack('<HHHHHHHH', 0, 0, 0xFFF5, 0x20, 0, 0, 0, 0))
    cellxf = record(0x00E0, struct.pack('<HHHHHHHH', 0, 0, 0x0001, 0x20, 0, 0, 0, 0))
    font = record(0x0031, struct.pack('<HHHHHBBBB', 200, 0, 0x7FFF, 400, 0, 0, 0, 0, 0) + bytes([5]) + b'Arial')

    def globals_(sheet_pos):
        name = b'Blad1'
        return (bof(0x0005) + record(0x0042, struct.pack('<H', 1252)) + font * 5 + xf * 15 + cellxf
                + record(0x0085, struct.pack('<IBBB', sheet_pos, 0, 0, len(name)) + name) + record(0x000A))

    glob = globals_(0)
    return globals_(len(glob)) + sheet


def compound_file(name, stream):
    """A version 3 container with 512-byte sectors holding one stream at the root."""
    sector = 512
    stream += b'\0' * (max(4096, -(-len(stream) // sector) * sector) - len(stream))  # no mini stream needed
    n_stream = len(stream) // sector
    dir_sector, fat_sector = n_stream, n_stream + 1
    fat = list(range(1, n_stream)) + [0xFFFFFFFE, 0xFFFFFFFE, 0xFFFFFFFD]
    fat += [0xFFFFFFFF] * (128 - len(fat))

    def entry(ename, etype, child, start, size):
        raw = ename.encode('utf-16-le') + b'\0\0'
        return (raw.ljust(64, b'\0') + struct.pack('<HBB3I', len(raw), etype, 1, 0xFFFFFFFF, 0xFFFFFFFF, child)
                + b'\0' * 36 + struct.pack('<IQ', start, size))

    directory = (entry('Root Entry', 5, 1, 0xFFFFFFFE, 0) + entry(name, 2, 0xFFFFFFFF, 0, len(stream))
                 + b'\0' * 256)
    header = (b'\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1' + b'\0' * 16
              + struct.pack('<HHHHH', 0x3E, 3, 0xFFFE, 9, 6) + b'\0' * 6
              + struct.pack('<IIIIIIIII', 0, 1, dir_sector, 0, 4096, 0xFFFFFFFE, 0, 0xFFFFFFFE, 0)
              + struct.pack('<I', fat_sector) + b'\xff' * (4 * 108))
    return header + stream + directory + struct.pack('<128I', *fat)


if __name__ == '__main__':
    open('../broken/excel95.xls', 'wb').write(compound_file('Book', biff5_book()))
