#include "common/DocumentBuilder.h"

#include "common/TestSupport.h"

#include <QFile>

void BuildDocument(MeasurementDocument& doc, int subgroupSize, const std::vector<std::vector<QStringList>>& groups)
{
    const bool individual = subgroupSize == 0;
    int points = 0;
    std::vector<bool> flags;
    for (size_t g = 0; g < groups.size(); ++g) {
        if (g > 0)
            flags.push_back(true);
        for (size_t i = 0; i < groups[g].size(); ++i)
            flags.push_back(false);
        points += int(groups[g].size());
    }
    flags.push_back(true);
    const int groupCount = std::max<int>(1, int(groups.size()));
    // The reader's order: mode, counts, size, flags, then the layout.
    doc.StoreIndividualMode(individual);
    doc.SetPointCount(points);
    if (!individual)
        doc.SetSubgroupSize(subgroupSize);
    doc.StoreGroupCount(groupCount);
    doc.SetSeparatorFlags(flags);
    doc.SetMode(individual);
    doc.SetGroupCount(groupCount);
    int row = 1;
    int day = 0;
    for (size_t g = 0; g < groups.size(); ++g) {
        if (g > 0) {
            doc.SetDateText(row, MeasurementDocument::SeparatorLine());
            for (int c = 0; c < doc.ValueColumnCount(); ++c)
                doc.SetValueText(row, c, MeasurementDocument::SeparatorLine());
            ++row;
        }
        for (const QStringList& values : groups[g]) {
            ++day;
            doc.SetDateText(row,
                QStringLiteral("%1.%2.2024")
                    .arg(1 + day % 28, 2, 10, QLatin1Char('0'))
                    .arg(1 + (day / 28) % 12, 2, 10, QLatin1Char('0')));
            for (int c = 0; c < doc.ValueColumnCount() && c < values.size(); ++c)
                doc.SetValueText(row, c, values[c]);
            ++row;
        }
    }
    doc.ClearChanged();
}

std::vector<QStringList> ReadReferenceCsv(const QString& name)
{
    QFile file(ReferenceDataPath(name));
    std::vector<QStringList> rows;
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (int i = 1; i < lines.size(); ++i)
        rows.push_back(lines[i].trimmed().split(QLatin1Char(',')));
    return rows;
}
