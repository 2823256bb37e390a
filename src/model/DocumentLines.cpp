#include "model/DocumentLines.h"

#include "model/Numbers.h"

#include <cstdint>

DocumentLines::DocumentLines(QStringView text)
    : m_text(text)
{
    const QChar* data = text.data();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = data[i].unicode();
        if (c == u'\r') {
            ++m_total;
            if (i + 1 < size && data[i + 1] == u'\n')
                ++i;
        } else if (c == u'\n') {
            ++m_total;
        }
    }
    if (size > 0 && data[size - 1] != u'\r' && data[size - 1] != u'\n')
        ++m_total;
}

std::optional<QStringView> DocumentLines::Next()
{
    if (m_taken >= m_total)
        return std::nullopt;
    const QChar* data = m_text.data();
    const qsizetype size = m_text.size();
    const qsizetype begin = m_pos;
    qsizetype end = begin;
    while (end < size && data[end] != u'\r' && data[end] != u'\n')
        ++end;
    m_pos = end;
    if (m_pos < size) {
        if (data[m_pos] == u'\r' && m_pos + 1 < size && data[m_pos + 1] == u'\n')
            ++m_pos;
        ++m_pos;
    }
    ++m_taken;
    return m_text.mid(begin, end - begin);
}

QStringList SplitTextLines(QStringView text)
{
    QStringList lines;
    DocumentLines walker(text);
    lines.reserve(walker.Remaining());
    while (const std::optional<QStringView> line = walker.Next())
        lines.append(line->toString());
    return lines;
}

namespace {

// True or False in ASCII letters of any case, as the writer puts them, without the Unicode case
// folding of the general comparison; nothing for any other text. For ASCII text the two agree:
// only non-ASCII characters (such as U+017F, which folds to "s") fold onto these letters.
std::optional<bool> AsciiBooleanWord(QStringView word)
{
    static constexpr char16_t trueWord[] = u"true";
    static constexpr char16_t falseWord[] = u"false";
    const qsizetype size = word.size();
    if (size != 4 && size != 5)
        return std::nullopt;
    const char16_t* expected = size == 4 ? trueWord : falseWord;
    for (qsizetype i = 0; i < size; ++i) {
        // Setting bit 0x20 maps only the upper and lower case letter onto a lower case letter.
        if ((word[i].unicode() | 0x20) != expected[i])
            return std::nullopt;
    }
    return size == 4;
}

} // namespace

std::optional<bool> ParseBooleanItem(QStringView line)
{
    const QStringView word = TrimBlanks(line);
    if (const std::optional<bool> ascii = AsciiBooleanWord(word))
        return ascii;
    if (word.compare(u"true", Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(u"false", Qt::CaseInsensitive) == 0)
        return false;
    const std::optional<double> number = ParseNumber(word);
    if (!number)
        return std::nullopt;
    return *number != 0.0;
}

std::optional<int> ParseIntegerItem(QStringView line)
{
    const QStringView text = TrimBlanks(line);
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > int64_t(INT32_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return int(value);
}
