#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

// The texts of a column in which many rows hold the same text, as the dates do (a laboratory
// measures many times a day). A row keeps only the index of its text in a list of strings that
// rows share: 4 bytes a row instead of a QString and its characters. Texts met lately are found
// again by a small table placed by hash; a text not there gets a string of its own. Strings no
// row uses any more are dropped once they outnumber the rows.
class SharedTextColumn {
public:
    size_t size() const { return m_rows.size(); }
    void clear();
    void resize(size_t rows); // new rows hold the null text
    void insert(size_t at, size_t count); // null rows before row `at`
    void erase(size_t at, size_t count);

    // Valid until the column is next changed.
    const QString& at(size_t row) const { return m_texts[m_rows[row]]; }
    void set(size_t row, const QString& text);
    void set(size_t row, QStringView text);

private:
    static constexpr int SlotBits = 12;
    static constexpr uint32_t NoText = UINT32_MAX;

    static size_t slotOf(QStringView text);
    uint32_t* slotFor(QStringView text); // the slot of a non-empty text
    bool reuse(size_t row, QStringView text); // true when the row now holds an equal stored text
    void store(size_t row, QString text);
    uint32_t add(QString text);
    void dropUnused();

    std::vector<uint32_t> m_rows; // per row, an index into m_texts
    std::vector<QString> m_texts { QString() }; // 0 is the null text
    std::vector<uint32_t> m_slots; // texts met lately, by hash; NoText when free
};
