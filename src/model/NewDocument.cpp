#include "model/NewDocument.h"

#include "model/MeasurementDocument.h"

void CreateNewDocument(MeasurementDocument& doc, bool individual)
{
    doc.InvalidateResults();
    doc.SetGroupCount(0); // fresh group records: no settings carried over from the old document
    std::vector<bool> flags(size_t(NewDocumentPointCount) + 1, false);
    flags.back() = true;
    doc.LayOut(individual, NewDocumentPointCount, NewDocumentSubgroupSize, std::move(flags));

    doc.SetFillDate(QString());
    doc.SetTableName(QString());
    for (int f = 0; f < HeaderFieldCount; ++f) {
        const auto field = HeaderField(f);
        doc.SetHeaderText(field, QString());
        doc.SetHeaderPresent(field, field == HeaderField::Operator);
    }
    doc.SetAdditionalInfo({});
    doc.SetAdditionalInfoPresent(false);
    doc.SetUnits(QString());
    const bool initial[ChartChoiceCount] = { true, true, true, false, true, false, false };
    for (int item = 0; item < ChartChoiceCount; ++item)
        doc.SetChartSelection(ChartChoice(item), initial[item]);
    doc.SetDisplayPrecision(1);
    doc.SetChartFormatFromN13();
    doc.ResetRecords();
    doc.SetFileName(QString());
    doc.ClearChanged();
}
