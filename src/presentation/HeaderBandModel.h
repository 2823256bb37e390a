#pragma once

#include <QAbstractTableModel>

class MeasurementDocument;

// StringGrid2: the one-row header band above the three grids in subgroup mode. Column 1 carries the
// value header; columns 0 and 2 stay empty.
class HeaderBandModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit HeaderBandModel(MeasurementDocument& document, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    MeasurementDocument& m_document;
};
