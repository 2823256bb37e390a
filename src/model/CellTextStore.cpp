#include "model/CellTextStore.h"

#include <QString>
#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

void CellTextStore::clear()
{
    m_spans.clear();
    m_spans.shrink_to_fit();
    m_chars.clear();
    m_chars.shrink_to_fit();
    m_liveChars = 0;
}

void CellTextStore::resize(size_t cells)
{
    for (size_t i = cells; i < m_spans.size(); ++i)
        m_liveChars -= m_spans[i].Length;
    m_spans.resize(cells);
}

void CellTextStore::insert(size_t at, size_t count)
{
    m_spans.insert(m_spans.begin() + std::ptrdiff_t(at), count, Span {});
}

void CellTextStore::erase(size_t at, size_t count)
{
    const auto first = m_spans.begin() + std::ptrdiff_t(at);
    const auto last = first + std::ptrdiff_t(count);
    // Texts that were the last ones written give their characters back, so inserting and
    // deleting the same row again and again leaves the buffer as it was.
    for (auto span = last; span != first;) {
        --span;
        m_liveChars -= span->Length;
        if (span->Length > 0 && span->Offset + span->Length == m_chars.size())
            m_chars.resize(span->Offset);
    }
    m_spans.erase(first, last);
}

void CellTextStore::set(size_t cell, QStringView text)
{
    Span& span = m_spans[cell];
    const size_t length = size_t(text.size());
    if (length <= span.Length) {
        // Fits where the old text was.
        if (length > 0) // memmove: the text may be this cell's own
            std::memmove(m_chars.data() + span.Offset, text.utf16(), length * sizeof(char16_t));
        m_liveChars -= span.Length - length;
        span.Length = uint32_t(length);
        return;
    }
    // The text may be a view into this very buffer, which the append below can move.
    const char16_t* begin = text.utf16();
    const bool inside = !m_chars.empty() && begin >= m_chars.data() && begin < m_chars.data() + m_chars.size();
    if (inside) {
        const QString copy = text.toString();
        set(cell, copy);
        return;
    }
    if (m_chars.size() > 2 * m_liveChars + (1u << 20))
        compact();
    if (m_chars.size() + length > std::numeric_limits<uint32_t>::max())
        throw std::length_error("cell texts too long");
    m_liveChars += length - m_spans[cell].Length;
    Span& target = m_spans[cell];
    target.Offset = uint32_t(m_chars.size());
    target.Length = uint32_t(length);
    m_chars.insert(m_chars.end(), begin, begin + length);
}

void CellTextStore::append(QStringView text)
{
    const size_t length = size_t(text.size());
    if (m_chars.size() + length > std::numeric_limits<uint32_t>::max())
        throw std::length_error("cell texts too long");
    m_spans.push_back({ uint32_t(m_chars.size()), uint32_t(length) });
    m_chars.insert(m_chars.end(), text.utf16(), text.utf16() + length);
    m_liveChars += length;
}

void CellTextStore::reserve(size_t cells, size_t chars)
{
    m_spans.reserve(cells);
    m_chars.reserve(chars);
}

void CellTextStore::compact()
{
    std::vector<char16_t> chars;
    chars.reserve(m_liveChars + m_liveChars / 4);
    for (Span& span : m_spans) {
        const size_t offset = chars.size();
        chars.insert(chars.end(), m_chars.begin() + span.Offset, m_chars.begin() + span.Offset + span.Length);
        span.Offset = uint32_t(offset);
    }
    m_chars = std::move(chars);
}
