#pragma once

#include "model/MeasurementDocument.h"

#include <QString>
#include <QStringList>
#include <vector>

// Builds a document in the editing state the way the reader lays one out: groups of point rows
// (each row the value texts of one point) joined by separator rows. Dates are "01.01.2024" etc.
// subgroupSize 0 means individual-values mode (each row then holds one text).
void BuildDocument(MeasurementDocument& doc, int subgroupSize, const std::vector<std::vector<QStringList>>& groups);

// Reads a reference CSV (header row, "." decimals) into rows of value texts.
std::vector<QStringList> ReadReferenceCsv(const QString& name);

// A test's setup changing record index of doc in place (taken out, edited, put back).
template <typename Edit> void EditGroup(MeasurementDocument& doc, int index, Edit edit)
{
    TIndividualInfo record = doc.TakeGroupRecord(index);
    edit(record);
    doc.StoreGroupRecord(index, std::move(record));
}
