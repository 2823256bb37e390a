#include "common/DocumentFileTestSupport.h"

#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "compute/ComputeDriver.h"
#include "model/DocumentFile.h"

#include <QDate>
#include <QFile>

namespace {

const QString ExamplePath = QStringLiteral(MERIDAN_SOURCE_DIR "/data/pistonrings.mrd");

// The example document: qcc's piston rings, subgroups of 5, the 25 trial subgroups and the 15
// later ones as two groups, with a Ukrainian header.
void BuildPistonRings(MeasurementDocument& doc)
{
    const std::vector<QStringList> rows = ReadReferenceCsv(QStringLiteral("qcc_pistonrings.csv"));
    ASSERT_EQ(rows.size(), 40u);
    BuildDocument(doc, 5, { { rows.begin(), rows.begin() + 25 }, { rows.begin() + 25, rows.end() } });
    int day = 0;
    for (int row = 1; row < doc.RowCount(); ++row) {
        if (!doc.IsSeparatorRow(row))
            doc.SetDateText(row, QDate(2024, 3, 1).addDays(day++).toString(QStringLiteral("dd.MM.yyyy")));
    }
    doc.SetFillDate(QStringLiteral("08.12.2026"));
    doc.SetTableName(QStringLiteral("Внутрішній діаметр поршневих кілець"));
    doc.SetHeaderPresent(HeaderField::Operator, true);
    doc.SetHeaderText(HeaderField::Operator, QStringLiteral("Коваленко О. П."));
    doc.SetHeaderPresent(HeaderField::MeasuredParameter, true);
    doc.SetHeaderText(HeaderField::MeasuredParameter, QStringLiteral("Діаметр"));
    doc.SetHeaderPresent(HeaderField::Sample, true);
    doc.SetHeaderText(HeaderField::Sample, QStringLiteral("Ковані поршневі кільця, по 5 у підгрупі"));
    doc.SetHeaderPresent(HeaderField::Instrument, true);
    doc.SetHeaderText(HeaderField::Instrument, QStringLiteral("Індикаторний нутромір"));
    doc.SetAdditionalInfoPresent(true);
    doc.SetAdditionalInfo({ QStringLiteral("Підгрупи 1-25 - пробні, 26-40 - наступні."),
        QStringLiteral("Дані: Montgomery D. C. Introduction to Statistical Quality Control, 1991, с. 206-213.") });
    doc.SetUnits(QStringLiteral("мм"));
    doc.RecomputeDisplayPrecision();
}

} // namespace

// To refresh data/pistonrings.mrd on purpose, run this test with MERIDAN_REFRESH_EXAMPLES=1 and
// commit the file it writes.
TEST(DocumentFileExample, PistonRingsDocumentIsCurrent)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildPistonRings(doc);
    if (qEnvironmentVariableIsSet("MERIDAN_REFRESH_EXAMPLES")) {
        ASSERT_TRUE(SaveDocument(doc, ExamplePath));
    }

    QFile file(ExamplePath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), SavedBytes(doc));

    RecordingMessenger readerMessenger;
    MeasurementDocument loaded(readerMessenger);
    ASSERT_TRUE(LoadDocument(loaded, ExamplePath));
    ExpectConsistent(loaded);
    EXPECT_EQ(loaded.PointCount(), 40);
    EXPECT_EQ(loaded.SubgroupSize(), 5);
    EXPECT_EQ(loaded.DisplayPrecision(), 3);
    const auto spans = loaded.DeriveGroups();
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_EQ(MeasurementDocument::GroupRangeText(spans[1]), QStringLiteral("26-40"));
    EXPECT_TRUE(RunComputeCommand(loaded)) << readerMessenger.messages.join(u'\n').toStdString();
}
