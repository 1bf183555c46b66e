#pragma once

#include "model/CellValue.h"

#include <QString>
#include <QStringView>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <string_view>
#include <type_traits>

// A vector of plain values that grows with realloc: the C library moves a
// large buffer by remapping its pages, so growing it never holds the old and
// the new copy at once, and the memory a sheet takes stays what it keeps.
template <typename T> class PlainBuffer final
{
    static_assert(std::is_trivially_copyable_v<T>);

public:
    PlainBuffer() = default;
    ~PlainBuffer() { std::free(m_data); }
    PlainBuffer(const PlainBuffer &) = delete;
    PlainBuffer &operator=(const PlainBuffer &) = delete;

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    T *begin() { return m_data; }
    T *end() { return m_data + m_size; }
    const T *begin() const { return m_data; }
    const T *end() const { return m_data + m_size; }
    T &operator[](std::size_t i) { return m_data[i]; }
    const T &operator[](std::size_t i) const { return m_data[i]; }
    const T &back() const { return m_data[m_size - 1]; }

    void push_back(const T &value)
    {
        if (m_size == m_capacity)
            reallocate(grown(m_size + 1));
        m_data[m_size++] = value;
    }
    void append(const T *from, std::size_t n)
    {
        if (m_size + n > m_capacity)
            reallocate(grown(m_size + n));
        if (n > 0)
            std::memcpy(m_data + m_size, from, n * sizeof(T));
        m_size += n;
    }
    // New values are left unset, for the caller to write.
    void resize(std::size_t n)
    {
        if (n > m_capacity)
            reallocate(grown(n));
        m_size = n;
    }
    void reserve(std::size_t n)
    {
        if (n > m_capacity)
            reallocate(n);
    }
    void squeeze()
    {
        if (m_capacity > m_size)
            reallocate(m_size);
    }

private:
    std::size_t grown(std::size_t needed) const { return std::max<std::size_t>({needed, 2 * m_capacity, 16}); }
    void reallocate(std::size_t capacity)
    {
        if (capacity == 0) {
            std::free(m_data);
            m_data = nullptr;
        } else {
            void *moved = std::realloc(m_data, capacity * sizeof(T));
            if (!moved)
                throw std::bad_alloc();
            m_data = static_cast<T *>(moved);
        }
        m_capacity = capacity;
    }

    T *m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

// Texts kept back to back in one buffer: a workbook holds hundreds of
// thousands of them, and a QString each costs more than the text itself.
class StringPool final
{
public:
    StringPool() { m_offsets.push_back(0); }

    std::uint32_t add(QStringView text);
    std::uint32_t addUtf8(std::string_view utf8);
    QString at(std::uint32_t index) const;
    QStringView view(std::uint32_t index) const
    {
        return QStringView(m_chars.begin() + m_offsets[index], length(index));
    }
    qsizetype length(std::uint32_t index) const { return qsizetype(m_offsets[index + 1] - m_offsets[index]); }
    std::uint32_t size() const { return static_cast<std::uint32_t>(m_offsets.size() - 1); }
    // The bytes its texts and their places take.
    std::uint64_t keptBytes() const
    {
        return m_chars.size() * sizeof(char16_t) + m_offsets.size() * sizeof(std::uint64_t);
    }
    void squeeze();

private:
    PlainBuffer<char16_t> m_chars;
    PlainBuffer<std::uint64_t> m_offsets;
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
    SheetCells(const SheetCells &) = delete;
    SheetCells &operator=(const SheetCells &) = delete;

    void reserve(std::size_t cells) { m_cells.reserve(cells); }
    void addNumber(std::uint32_t row, std::uint16_t column, Kind kind, double value);
    void addString(std::uint32_t row, std::uint16_t column, Kind kind, std::uint32_t index);
    void addValue(std::uint32_t row, std::uint16_t column, const CellValue &value);
    StringPool &strings() { return m_strings; }
    // Sorts cells that came out of order; of two cells at one place the later wins.
    void finish();
    // The bytes its cells and own texts take.
    std::uint64_t keptBytes() const { return m_cells.size() * sizeof(Cell) + m_strings.keptBytes(); }
    // The first cell, in the order added, that holds shared text index; false when none does.
    bool findShared(std::uint32_t index, std::uint32_t &row, std::uint32_t &column) const;

    // Row of the last cell with a value; 0 when the sheet has none.
    int lastRow() const { return m_cells.empty() ? 0 : static_cast<int>(m_cells.back().row); }
    std::size_t size() const { return m_cells.size(); }
    CellValue value(int row, int column) const;
    // The text of a text cell, without a copy; false for any other cell.
    bool textView(int row, int column, QStringView &text) const;
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

    PlainBuffer<Cell> m_cells;
    StringPool m_strings;
    std::shared_ptr<const StringPool> m_shared;
};
