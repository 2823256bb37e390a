#include "presentation/ChangeLogModel.h"

#include "model/ChangeLog.h"

#include <QBrush>
#include <QColor>
#include <algorithm>

ChangeLogModel::ChangeLogModel(const ChangeLog& log, QObject* parent)
    : QAbstractTableModel(parent)
    , m_log(log)
    , m_rows(log.Size())
    , m_verified(log.VerifiedCount())
    , m_lastHash(log.Empty() ? QString() : log.Entries().back().Hash)
{
}

int ChangeLogModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int ChangeLogModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ChangeLogModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_log.Size())
        return QVariant();
    const ChangeLogEntry& entry = m_log.Entries()[size_t(index.row())];
    const bool verified = index.row() < m_verified;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        switch (index.column()) {
        case IndexColumn:
            return role == Qt::DisplayRole ? QVariant(index.row() + 1) : QVariant();
        case TimeColumn:
            return entry.Time;
        case UserColumn:
            return entry.User;
        case ChangeColumn:
            return entry.Change;
        case ReasonColumn:
            return entry.Reason;
        }
        return QVariant();
    case Qt::TextAlignmentRole:
        return index.column() == IndexColumn ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
    case Qt::ForegroundRole:
        return verified ? QVariant() : QVariant(QBrush(QColor(192, 0, 0)));
    case VerifiedRole:
        return verified;
    default:
        return QVariant();
    }
}

QVariant ChangeLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QVariant();
    static const char* const titles[ColumnCount] = { "№", "Час", "Користувач", "Зміна", "Причина" };
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(titles[section]) : QVariant();
}

void ChangeLogModel::Refresh(bool reset)
{
    const int size = m_log.Size();
    const int verified = m_log.VerifiedCount();
    const QString lastHash = size == 0 ? QString() : m_log.Entries().back().Hash;
    const bool sameStart = size >= m_rows && (m_rows == 0 || m_log.Entries()[size_t(m_rows - 1)].Hash == m_lastHash);
    if (reset || !sameStart || verified < std::min(m_verified, size)) {
        beginResetModel();
        m_rows = size;
        m_verified = verified;
        m_lastHash = lastHash;
        endResetModel();
        return;
    }
    m_lastHash = lastHash;
    const int oldVerified = m_verified;
    m_verified = verified;
    if (size > m_rows) {
        beginInsertRows(QModelIndex(), m_rows, size - 1);
        m_rows = size;
        endInsertRows();
    }
    // Entries appended to a broken chain stay red; only the verdict may have changed above them.
    if (verified != oldVerified && m_rows > 0)
        Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, ColumnCount - 1), { Qt::ForegroundRole, VerifiedRole });
}

QString ChangeLogModel::VerdictText() const
{
    return VerdictText(m_rows, m_verified);
}

QString ChangeLogModel::VerdictText(int entries, int verified)
{
    if (verified >= entries)
        return QStringLiteral("Журнал цілісний");
    return QStringLiteral("Журнал змінено поза програмою після запису %1").arg(verified);
}
