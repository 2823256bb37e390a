#include "model/SharedTextColumn.h"

#include <cstring>
#include <stdexcept>

namespace {

bool SameText(const QString& stored, QStringView text)
{
    return stored.size() == text.size() && stored.isNull() == text.isNull()
        && std::memcmp(stored.constData(), text.data(), size_t(text.size()) * sizeof(QChar)) == 0;
}

} // namespace

void SharedTextColumn::clear()
{
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_texts.assign(1, QString());
    m_texts.shrink_to_fit();
    m_slots.clear();
    m_slots.shrink_to_fit();
}

void SharedTextColumn::resize(size_t rows)
{
    m_rows.resize(rows, 0);
}

void SharedTextColumn::insert(size_t at, size_t count)
{
    m_rows.insert(m_rows.begin() + std::ptrdiff_t(at), count, 0);
}

void SharedTextColumn::erase(size_t at, size_t count)
{
    const auto first = m_rows.begin() + std::ptrdiff_t(at);
    m_rows.erase(first, first + std::ptrdiff_t(count));
}

size_t SharedTextColumn::slotOf(QStringView text)
{
    // Four characters a step (the last step overlapping the one before), so a date costs three
    // multiplications.
    constexpr uint64_t mix = 0x9E3779B97F4A7C15ull;
    const char16_t* chars = text.utf16();
    const qsizetype size = text.size();
    uint64_t hash = uint64_t(size);
    if (size < 4) {
        for (qsizetype i = 0; i < size; ++i)
            hash = (hash ^ chars[i]) * mix;
    } else {
        uint64_t word = 0;
        for (qsizetype i = 0; i + 4 <= size; i += 4) {
            std::memcpy(&word, chars + i, sizeof word);
            hash = (hash ^ word) * mix;
        }
        if (size % 4 != 0) {
            std::memcpy(&word, chars + size - 4, sizeof word);
            hash = (hash ^ word) * mix;
        }
    }
    return size_t(((hash ^ (hash >> 32)) * mix) >> (64 - SlotBits));
}

uint32_t* SharedTextColumn::slotFor(QStringView text)
{
    if (m_slots.empty())
        m_slots.assign(size_t(1) << SlotBits, NoText);
    return &m_slots[slotOf(text)];
}

uint32_t SharedTextColumn::add(QString text)
{
    if (m_texts.size() > 2 * m_rows.size() + (size_t(1) << SlotBits))
        dropUnused();
    if (m_texts.size() >= NoText)
        throw std::length_error("too many texts in a column");
    m_texts.push_back(std::move(text));
    return uint32_t(m_texts.size() - 1);
}

bool SharedTextColumn::reuse(size_t row, QStringView text)
{
    if (text.isNull()) {
        m_rows[row] = 0;
        return true;
    }
    const uint32_t index = *slotFor(text);
    if (index == NoText || !SameText(m_texts[index], text))
        return false;
    m_rows[row] = index;
    return true;
}

void SharedTextColumn::store(size_t row, QString text)
{
    // text is a copy of its own: the caller's may be one of this column's strings, which
    // dropping unused ones moves.
    const uint32_t index = add(text); // may drop unused texts, and with them the slots
    m_rows[row] = index;
    *slotFor(text) = index;
}

void SharedTextColumn::set(size_t row, const QString& text)
{
    if (!reuse(row, text))
        store(row, text);
}

void SharedTextColumn::set(size_t row, QStringView text)
{
    if (!reuse(row, text))
        store(row, text.toString());
}

void SharedTextColumn::dropUnused()
{
    std::vector<uint32_t> renumbered(m_texts.size(), NoText);
    renumbered[0] = 0;
    std::vector<QString> kept { QString() };
    for (uint32_t& index : m_rows) {
        if (renumbered[index] == NoText) {
            renumbered[index] = uint32_t(kept.size());
            kept.push_back(std::move(m_texts[index]));
        }
        index = renumbered[index];
    }
    m_texts = std::move(kept);
    m_slots.clear();
}
