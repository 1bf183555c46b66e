#pragma once

#include "workbook/SheetCells.h"

#include <QList>
#include <QString>

#include <memory>
#include <vector>

// One workbook file as read: its worksheets in workbook order and, once
// asked for, their cells. Reading a sheet's cells waits for the first use.
class Workbook
{
public:
    struct Sheet
    {
        QString name;
        bool hidden = false;
    };

    virtual ~Workbook() = default;

    const QString &path() const { return m_path; }
    const QList<Sheet> &sheets() const { return m_sheets; }
    // The cells of sheet index (0-based); read now when not yet read, which
    // sets read. Throws KwError when the sheet cannot be read. Reading a sheet
    // may let go of the cells of the others.
    const SheetCells &cells(int index, bool *read = nullptr);
    bool hasCells(int index) const { return std::size_t(index) < m_cells.size() && m_cells[std::size_t(index)]; }
    // Lets go of the file; a sheet read later opens it again.
    virtual void releaseFile() {}

protected:
    explicit Workbook(QString path) : m_path(std::move(path)) {}
    virtual std::unique_ptr<SheetCells> readSheet(int index) = 0;

    QString m_path;
    QList<Sheet> m_sheets;
    std::vector<std::unique_ptr<SheetCells>> m_cells;
};

// Reads the workbook's structure (not yet its cells), telling .xlsx from .xls
// by content. Throws KwError with a Dutch message naming the file.
std::unique_ptr<Workbook> ReadWorkbook(const QString &path);

// A workbook read whole by the .xls reader.
struct XlsBook;
std::unique_ptr<Workbook> WorkbookFromXls(const QString &path, const XlsBook &book);

// The path as messages show it.
QString DisplayPath(const QString &path);

// For a path that is no regular file (a folder, a device, a pipe): reading it
// could wait forever.
[[noreturn]] void throwNotAWorkbook(const QString &path);
