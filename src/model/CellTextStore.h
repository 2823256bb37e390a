#pragma once

#include <QStringView>
#include <cstdint>
#include <vector>

// The texts of many cells in one buffer: a cell costs 8 bytes plus its characters instead of a
// QString of its own, which keeps a table of a million rows small and quick to fill. A cell that
// is rewritten with a longer text leaves its old characters behind until the store compacts.
class CellTextStore {
public:
    size_t size() const { return m_spans.size(); }
    void clear();
    void resize(size_t cells); // new cells are empty
    // Empty cells before cell `at`, and removal of a run of cells: one move of the cell list,
    // the characters stay where they are.
    void insert(size_t at, size_t count);
    void erase(size_t at, size_t count);

    // Valid until the store is next changed.
    QStringView at(size_t cell) const
    {
        const Span span = m_spans[cell];
        return QStringView(m_chars.data() + span.Offset, qsizetype(span.Length));
    }
    void set(size_t cell, QStringView text); // throws std::length_error past 4 G characters
    // A new last cell holding text, and room for cells and characters to come, for stores filled in order.
    void append(QStringView text);
    void reserve(size_t cells, size_t chars);
    size_t charCount() const { return m_chars.size(); } // the buffer, dead characters included

private:
    struct Span {
        uint32_t Offset = 0;
        uint32_t Length = 0;
    };
    void compact();

    std::vector<Span> m_spans;
    std::vector<char16_t> m_chars;
    size_t m_liveChars = 0;
};
