#pragma once

#include "model/CellValue.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

// Texts kept back to back in one buffer: a workbook holds hundreds of
// thousands of them, and a QString each costs more than the text itself.
class StringPool final
{
public:
    StringPool() { m_offsets.push_back(0); }

    std::uint32_t add(QStringView text);
    std::uint32_t addUtf8(std::string_view utf8);
    QString at(std::uint32_t index) const;
    std::uint32_t size() const { return static_cast<std::uint32_t>(m_offsets.size() - 1); }
    void squeeze();

private:
    std::vector<char16_t> m_chars;
    std::vector<std::uint64_t> m_offsets;
};

// The cells of one sheet that hold a value, sorted by row and column, 16
// bytes a cell. Texts are indexes into the workbook's shared strings or
// into the sheet's own pool.
class SheetCells final
{
public:
    enum class Kind : std::uint8_t
    {
        Number,
        Date,
        Boolean,
        SharedText,
        Text,
        Error,
        FormulaWithoutValue,
        Other
    };

    explicit SheetCells(std::shared_ptr<const StringPool> shared = {}) : m_shared(std::move(shared)) {}

    void reserve(std::size_t cells) { m_cells.reserve(cells); }
    void addNumber(std::uint32_t row, std::uint16_t column, Kind kind, double value);
    void addString(std::uint32_t row, std::uint16_t column, Kind kind, std::uint32_t index);
    void addValue(std::uint32_t row, std::uint16_t column, const CellValue &value);
    StringPool &strings() { return m_strings; }
    // Sorts cells that came out of order; of two cells at one place the later wins.
    void finish();

    // Row of the last cell with a value; 0 when the sheet has none.
    int lastRow() const { return m_cells.empty() ? 0 : static_cast<int>(m_cells.back().row); }
    std::size_t size() const { return m_cells.size(); }
    CellValue value(int row, int column) const;
    // Every cell with a value, row by row.
    void forEach(const std::function<void(int row, int column, const CellValue &value)> &visit) const;

private:
    struct Cell
    {
        std::uint32_t row;
        std::uint16_t column;
        Kind kind;
        union {
            double number;
            std::uint32_t index;
        };
        std::uint64_t key() const { return (std::uint64_t(row) << 16) | column; }
    };
    static_assert(sizeof(Cell) == 16);

    CellValue toValue(const Cell &cell) const;
    std::size_t lowerBound(std::uint64_t key) const;

    std::vector<Cell> m_cells;
    StringPool m_strings;
    std::shared_ptr<const StringPool> m_shared;
    mutable std::size_t m_hint = 0; // where the last lookup ended: rows are mostly read in order
};
