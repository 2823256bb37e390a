#pragma once

#include <QAbstractTableModel>

class ChangeLog;

// The change log of a document as a table: number, time, user, change and reason, one row an
// entry. The log only grows while a document is open, so Refresh announces the new rows alone;
// a log replaced by another document's is one reset. Entries after the last one whose hash holds
// are shown in red.
class ChangeLogModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Columns { IndexColumn, TimeColumn, UserColumn, ChangeColumn, ReasonColumn, ColumnCount };
    enum Roles {
        VerifiedRole = Qt::UserRole + 1, // bool: the entry's hash holds, and so do all before it
    };

    explicit ChangeLogModel(const ChangeLog& log, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Follows the log after a change of the document; reset: the log may have been replaced (it is
    // also found replaced when the last entry shown is no longer there).
    void Refresh(bool reset = false);
    int VerifiedCount() const { return m_verified; }
    // "Журнал цілісний", or where the chain breaks.
    QString VerdictText() const;
    static QString VerdictText(int entries, int verified);

private:
    const ChangeLog& m_log;
    int m_rows = 0;
    int m_verified = 0;
    QString m_lastHash; // of the last entry shown: another log (a load) has another
};
