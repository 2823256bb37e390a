#include "model/NewDocument.h"

#include "model/MeasurementDocument.h"

void CreateNewDocument(MeasurementDocument& doc, bool individual)
{
    doc.InvalidateResults();
    doc.SetGroupCount(0); // fresh group records: no settings carried over from the old document
    doc.StoreIndividualMode(individual);
    doc.SetPointCount(NewDocumentPointCount);
    if (!individual)
        doc.SetSubgroupSize(NewDocumentSubgroupSize);
    doc.StoreGroupCount(1);
    std::vector<bool> flags(size_t(NewDocumentPointCount) + 1, false);
    flags.back() = true;
    doc.SetSeparatorFlags(std::move(flags));
    doc.SetMode(individual);
    doc.SetGroupCount(1);

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
    doc.SetFileName(QString());
    doc.ClearChanged();
}
