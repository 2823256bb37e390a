#pragma once

#include <QString>

namespace rpt {

// A data set without fields: the program gives it a row count, the engine walks its current row
// (from 0) while it prints the data band bound to it, and the value callback reads that row.
class UserDataSet {
public:
    explicit UserDataSet(const QString& name)
        : m_name(name)
    {
    }

    const QString& name() const { return m_name; }
    int rowCount() const { return m_rowCount; }
    void setRowCount(int count) { m_rowCount = count < 0 ? 0 : count; }
    int currentRow() const { return m_row; }
    void first() { m_row = 0; }
    void next() { ++m_row; }
    bool eof() const { return m_row >= m_rowCount; }

private:
    QString m_name;
    int m_rowCount = 0;
    int m_row = 0;
};

} // namespace rpt
