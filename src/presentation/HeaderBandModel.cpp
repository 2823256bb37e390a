#include "presentation/HeaderBandModel.h"

#include "model/MeasurementDocument.h"

HeaderBandModel::HeaderBandModel(MeasurementDocument& document, QObject* parent)
    : QAbstractTableModel(parent)
    , m_document(document)
{
    connect(&m_document, &MeasurementDocument::headersChanged, this,
        [this] { Q_EMIT dataChanged(index(0, 0), index(0, 2), { Qt::DisplayRole }); });
}

int HeaderBandModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1;
}

int HeaderBandModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant HeaderBandModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::DisplayRole && index.column() == 1)
        return m_document.ValueHeader();
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return QVariant();
}

Qt::ItemFlags HeaderBandModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}
