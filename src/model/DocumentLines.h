#pragma once

#include <QStringList>
#include <QStringView>
#include <optional>

// Walks the lines of a decoded document file from the top. A line ends at CR LF, LF or CR; a line
// break at the very end of the text opens no further line.
class DocumentLines {
public:
    explicit DocumentLines(QStringView text);

    qsizetype Remaining() const { return m_total - m_taken; }
    qsizetype Taken() const { return m_taken; }
    qsizetype RemainingChars() const { return m_text.size() - m_pos; } // line breaks included
    std::optional<QStringView> Next(); // nothing once the lines are used up

private:
    QStringView m_text;
    qsizetype m_pos = 0;
    qsizetype m_total = 0;
    qsizetype m_taken = 0;
};

// Every line of text, by the rules above.
QStringList SplitTextLines(QStringView text);

// A boolean item: True or False in any letter case, or a decimal number (zero is false).
std::optional<bool> ParseBooleanItem(QStringView line);

// An integer item: a decimal integer with an optional sign that fits 32 bits.
std::optional<int> ParseIntegerItem(QStringView line);
