#include "workbook/SheetCells.h"

#include <QStringDecoder>

#include <algorithm>

std::uint32_t StringPool::add(QStringView text)
{
    m_chars.append(reinterpret_cast<const char16_t *>(text.utf16()), std::size_t(text.size()));
    m_offsets.push_back(m_chars.size());
    return size() - 1;
}

std::uint32_t StringPool::addUtf8(std::string_view utf8)
{
    const std::size_t start = m_chars.size();
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        m_chars.resize(start + utf8.size());
        std::copy(utf8.begin(), utf8.end(), m_chars.begin() + start);
        m_offsets.push_back(m_chars.size());
        return size() - 1;
    }
    // UTF-8 never takes fewer bytes than UTF-16 code units.
    m_chars.resize(start + utf8.size());
    QStringDecoder decoder(QStringDecoder::Utf8);
    QChar *out = reinterpret_cast<QChar *>(m_chars.begin() + start);
    QChar *end = decoder.appendToBuffer(out, QByteArrayView(utf8.data(), qsizetype(utf8.size())));
    m_chars.resize(start + std::size_t(end - out));
    m_offsets.push_back(m_chars.size());
    return size() - 1;
}

QString StringPool::at(std::uint32_t index) const
{
    const std::uint64_t from = m_offsets[index];
    const std::uint64_t to = m_offsets[index + 1];
    return QString(reinterpret_cast<const QChar *>(m_chars.begin() + from), qsizetype(to - from));
}

void StringPool::squeeze()
{
    m_chars.squeeze();
    m_offsets.squeeze();
}

void SheetCells::addNumber(std::uint32_t row, std::uint16_t column, Kind kind, double value)
{
    Cell cell{row, column, kind, {}};
    cell.number = value;
    m_cells.push_back(cell);
}

void SheetCells::addString(std::uint32_t row, std::uint16_t column, Kind kind, std::uint32_t index)
{
    Cell cell{row, column, kind, {}};
    cell.index = index;
    m_cells.push_back(cell);
}

void SheetCells::addValue(std::uint32_t row, std::uint16_t column, const CellValue &value)
{
    switch (value.kind) {
    case CellValue::Kind::Empty:
        return;
    case CellValue::Kind::Number:
        return addNumber(row, column, Kind::Number, value.number);
    case CellValue::Kind::Date:
        return addNumber(row, column, Kind::Date, value.number);
    case CellValue::Kind::Boolean:
        return addNumber(row, column, Kind::Boolean, value.number);
    case CellValue::Kind::Text:
        return addString(row, column, Kind::Text, m_strings.add(value.text));
    case CellValue::Kind::Error:
        if (value.isFormulaWithoutValue())
            return addNumber(row, column, Kind::FormulaWithoutValue, 0.0);
        return addString(row, column, Kind::Error, m_strings.add(value.text));
    case CellValue::Kind::Other:
        return addString(row, column, Kind::Other, m_strings.add(value.text));
    }
}

void SheetCells::finish()
{
    const auto before = [](const Cell &a, const Cell &b) { return a.key() < b.key(); };
    const auto same = [](const Cell &a, const Cell &b) { return a.key() == b.key(); };
    if (std::adjacent_find(m_cells.begin(), m_cells.end(),
                           [](const Cell &a, const Cell &b) { return a.key() >= b.key(); }) != m_cells.end()) {
        std::stable_sort(m_cells.begin(), m_cells.end(), before);
        // Keep the last of each run of equal places.
        std::reverse(m_cells.begin(), m_cells.end());
        m_cells.resize(std::size_t(std::unique(m_cells.begin(), m_cells.end(), same) - m_cells.begin()));
        std::reverse(m_cells.begin(), m_cells.end());
    }
    m_cells.squeeze();
    m_strings.squeeze();
}

bool SheetCells::findShared(std::uint32_t index, std::uint32_t &row, std::uint32_t &column) const
{
    for (const Cell &cell : m_cells) {
        if (cell.kind == Kind::SharedText && cell.index == index) {
            row = cell.row;
            column = cell.column;
            return true;
        }
    }
    return false;
}

namespace {
// Where the calling thread's last lookup ended: rows are mostly read in order,
// and two threads reading one sheet each keep their own place.
struct LookupHint
{
    const void *cells = nullptr;
    std::size_t pos = 0;
};
thread_local LookupHint t_hint;
} // namespace

std::size_t SheetCells::lowerBound(std::uint64_t key) const
{
    // Try where the last lookup ended and the place after it first.
    const std::size_t n = m_cells.size();
    const std::size_t hint = t_hint.cells == this ? t_hint.pos : 0;
    for (std::size_t pos = hint; pos <= hint + 1 && pos <= n; ++pos) {
        if ((pos == 0 || m_cells[pos - 1].key() < key) && (pos == n || m_cells[pos].key() >= key)) {
            t_hint = {this, pos};
            return pos;
        }
    }
    // Then near it: the other cells of a row lie a few places away. Else the whole sheet.
    constexpr std::size_t Near = 32;
    std::size_t lo = 0;
    std::size_t hi = n;
    if (hint < n && m_cells[hint].key() < key) {
        const std::size_t end = std::min(n, hint + Near);
        if (end == n || m_cells[end - 1].key() >= key)
            lo = hint + 1, hi = end;
        else
            lo = end;
    } else {
        const std::size_t top = std::min(hint, n);
        const std::size_t begin = top > Near ? top - Near : 0;
        if (begin == 0 || m_cells[begin - 1].key() < key)
            lo = begin, hi = top;
        else
            hi = begin;
    }
    const auto it = std::lower_bound(m_cells.begin() + lo, m_cells.begin() + hi, key,
                                     [](const Cell &c, std::uint64_t k) { return c.key() < k; });
    const auto pos = std::size_t(it - m_cells.begin());
    t_hint = {this, pos};
    return pos;
}

bool SheetCells::textView(int row, int column, QStringView &text) const
{
    if (row < 1 || column < 1 || column > 0xFFFF)
        return false;
    const std::uint64_t key = (std::uint64_t(unsigned(row)) << 16) | unsigned(column);
    const std::size_t pos = lowerBound(key);
    if (pos == m_cells.size() || m_cells[pos].key() != key)
        return false;
    const Cell &cell = m_cells[pos];
    if (cell.kind == Kind::SharedText)
        text = m_shared->view(cell.index);
    else if (cell.kind == Kind::Text)
        text = m_strings.view(cell.index);
    else
        return false;
    return true;
}

CellValue SheetCells::value(int row, int column) const
{
    if (row < 1 || column < 1 || column > 0xFFFF)
        return {};
    const std::uint64_t key = (std::uint64_t(unsigned(row)) << 16) | unsigned(column);
    const std::size_t pos = lowerBound(key);
    if (pos == m_cells.size() || m_cells[pos].key() != key)
        return {};
    return toValue(m_cells[pos]);
}

void SheetCells::forEach(const std::function<void(int, int, const CellValue &)> &visit) const
{
    for (const Cell &cell : m_cells)
        visit(int(cell.row), int(cell.column), toValue(cell));
}

CellValue SheetCells::toValue(const Cell &cell) const
{
    switch (cell.kind) {
    case Kind::Number:
        return CellValue::fromNumber(cell.number);
    case Kind::Date:
        return CellValue::fromDate(cell.number);
    case Kind::Boolean:
        return CellValue::fromBool(cell.number != 0.0);
    case Kind::SharedText:
        return CellValue::fromText(m_shared->at(cell.index));
    case Kind::Text:
        return CellValue::fromText(m_strings.at(cell.index));
    case Kind::Error:
        return CellValue::fromError(m_strings.at(cell.index));
    case Kind::FormulaWithoutValue:
        return CellValue::formulaWithoutValue();
    case Kind::Other:
        return {CellValue::Kind::Other, 0.0, m_strings.at(cell.index)};
    }
    return {};
}
