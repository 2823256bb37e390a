#include "ReportTestSupport.h"

#include "model/DocumentFile.h"
#include "model/Numbers.h"
#include "reports/ReportRequest.h"
#include "reports/ReportValues.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ReportValues;

TEST(ReportValues, PictureCountsAndRanges)
{
    EXPECT_EQ(PointsPerPictureFor(718, 65, 50), 11);
    EXPECT_EQ(PointsPerPictureFor(2000, 65, 50), 11); // never more than 11
    EXPECT_EQ(PointsPerPictureFor(100, 65, 50), 1); // too narrow: still one step
    struct Row {
        const char* name;
        int first, last, count;
        PictureRange lastPicture;
    } rows[] = {
        { "one point", 5, 5, 1, { 5, 5 } },
        { "1-12", 1, 12, 1, { 1, 12 } },
        { "1-13", 1, 13, 2, { 12, 13 } },
        { "156 points", 1, 156, 15, { 155, 156 } },
        { "offset", 20, 42, 2, { 31, 42 } },
    };
    for (const Row& row : rows) {
        const int count = PictureCount(row.first, row.last, 11);
        EXPECT_EQ(count, row.count) << row.name;
        const PictureRange last = PictureRangeOf(row.first, row.last, 11, count - 1);
        EXPECT_EQ(last.First, row.lastPicture.First) << row.name;
        EXPECT_EQ(last.Last, row.lastPicture.Last) << row.name;
    }
    EXPECT_EQ(PictureRangeOf(1, 13, 11, 0).Last, 12);
    EXPECT_EQ(
        PictureTitle(QStringLiteral(" Карта середніх "), { 3, 3 }), QStringLiteral(" Карта середніх  (точка №3)"));
    EXPECT_EQ(PictureTitle(QStringLiteral("К"), { 1, 12 }), QStringLiteral("К (точки №№1-12)"));
}

TEST(ReportValues, LimitsRows)
{
    RecordingMessenger messenger;
    auto doc = IndividualDocument(messenger, { 10, 10 });
    EXPECT_EQ(LimitsRowCount(*doc, SlotCentre), 5);
    EXPECT_EQ(LimitsRowLabel(*doc, 1, SlotCentre, 0), QStringLiteral("Верхня контрольна межа"));
    EXPECT_EQ(LimitsRowLabel(*doc, 1, SlotCentre, 3), QStringLiteral("Середнє значення"));
    EXPECT_EQ(LimitsRowLabel(*doc, 1, SlotDeviation, 3), QStringLiteral("Середній ковзний розмах"));
    EditGroup(*doc, 1, [](TIndividualInfo& record) {
        record.CentreSetting = { true, 12.5 };
        record.SigmaSetting.Fixed = true;
    });
    EXPECT_EQ(LimitsRowLabel(*doc, 1, SlotCentre, 3), QStringLiteral("Середнє значення - зафіксовано"));
    EXPECT_EQ(LimitsRowLabel(*doc, 1, SlotCentre, 4), QStringLiteral("Відхилення - зафіксовано"));
    EXPECT_EQ(
        LimitsRowValue(*doc, 1, SlotCentre, 3), FormatFixed(12.5, doc->DisplayPrecision()) + QStringLiteral(" мг/л"));
    EXPECT_TRUE(LimitsRowValue(*doc, 1, SlotCentre, 0).endsWith(QStringLiteral(" мг/л")));

    auto subgroups = SubgroupDocument(messenger, 4, { 6 });
    EXPECT_EQ(LimitsRowCount(*subgroups, SlotMedians), 4);
    EXPECT_EQ(LimitsRowLabel(*subgroups, 0, SlotRelRanges, 3), QStringLiteral("Середній відносний розмах"));
    EXPECT_TRUE(LimitsRowValue(*subgroups, 0, SlotRelDeviation, 1).endsWith(QStringLiteral(" %")));
    EXPECT_TRUE(LimitsRowValue(*subgroups, 0, SlotRanges, 1).endsWith(QStringLiteral(" мм")));
}

// The relative charts print their centre and limits in per cent, but the deviation row holds the
// process standard deviation, which is in the measurement units on every chart.
TEST(ReportValues, RelativeChartsKeepUnitsOnTheDeviationRow)
{
    RecordingMessenger messenger;
    auto doc = SubgroupDocument(messenger, 4, { 6 });
    const QString sigma = FormatFixed(doc->Groups()[0].SigmaSetting.Value, doc->DisplayPrecision());
    for (int slot : { int(SlotRelDeviation), int(SlotRelRanges) }) {
        for (int row = 0; row < 4; ++row)
            EXPECT_TRUE(LimitsRowValue(*doc, 0, slot, row).endsWith(QStringLiteral(" %"))) << slot << " row " << row;
        EXPECT_EQ(LimitsRowValue(*doc, 0, slot, 4), sigma + QStringLiteral(" мм")) << slot;
    }
    EXPECT_EQ(LimitsRowValue(*doc, 0, SlotCentre, 4), sigma + QStringLiteral(" мм"));
}

TEST(ReportValues, GroupsOfChartRanges)
{
    RecordingMessenger messenger;
    // Five groups of three points: 15 points, 10 moving ranges.
    auto doc = IndividualDocument(messenger, { 3, 3, 3, 3, 3 });
    GroupSpanOfRange all = GroupsOfChartRange(*doc, SlotCentre, 1, 15);
    EXPECT_EQ(all.FirstGroup, 0);
    EXPECT_EQ(all.LastGroup, 4);
    GroupSpanOfRange inside = GroupsOfChartRange(*doc, SlotCentre, 4, 6);
    EXPECT_EQ(inside.FirstGroup, 1);
    EXPECT_EQ(inside.LastGroup, 1);
    // Every moving range of the chart leads to every group, the last one included.
    GroupSpanOfRange ranges = GroupsOfChartRange(*doc, SlotDeviation, 1, 10);
    EXPECT_EQ(ranges.FirstGroup, 0);
    EXPECT_EQ(ranges.LastGroup, 4);
    EXPECT_EQ(InfoHeaderText(*doc, 1, SlotDeviation, QStringLiteral("К")),
        QStringLiteral("К - основні показники (група точок 4-5)"));
    EXPECT_EQ(ResultHeaderText(*doc, 1, SlotCentre, QStringLiteral("К")),
        QStringLiteral("К - результати аналізу (група точок 4-6)"));
}

TEST(ReportValues, SubgroupCrossTabCells)
{
    RecordingMessenger messenger;
    auto doc = SubgroupDocument(messenger, 3, { 4, 3 });
    // Points 2..6: rows 2-4 of the first group, the separator, points 5 and 6; then the closing
    // separator below point 6 is the end of the second group (point 7 is not printed).
    const std::vector<CrossCell> cells = SubgroupTableCells(*doc, 2, 6);
    const int perRow = 1 + 3 + 6;
    ASSERT_EQ(cells.size(), size_t(7 * perRow));
    QStringList rows;
    for (size_t i = 0; i < cells.size(); i += perRow)
        rows.append(cells[i].Row);
    EXPECT_EQ(rows,
        QStringList({ QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
            QStringLiteral("Загалом по групі точок 1-4"), QStringLiteral("5"), QStringLiteral("6"),
            QStringLiteral("Загалом по групі точок 5-7") }));
    // Within a row: the date, the values, then the statistics under distinct blank headers.
    EXPECT_EQ(cells[0].ColumnUpper, QStringLiteral(" "));
    EXPECT_EQ(cells[0].ColumnLower, QStringLiteral("Дата"));
    EXPECT_EQ(cells[1].ColumnUpper, doc->ValueHeader());
    EXPECT_EQ(cells[1].ColumnLower, QStringLiteral("X1"));
    EXPECT_EQ(cells[3].ColumnLower, QStringLiteral("X3"));
    QStringList uppers;
    for (int c = 4; c < perRow; ++c)
        uppers.append(cells[size_t(c)].ColumnUpper);
    EXPECT_EQ(uppers,
        QStringList({ QStringLiteral("  "), QStringLiteral("   "), QStringLiteral("     "), QStringLiteral("       "),
            QStringLiteral("      "), QStringLiteral("    ") }));
    EXPECT_EQ(cells[4].ColumnLower, doc->ResultHeader(0));
    // The separator row's value cells show the filler, never the long separator line.
    for (int c = 0; c < perRow; ++c)
        EXPECT_NE(cells[size_t(3 * perRow + c)].Value, MeasurementDocument::SeparatorLine());
    EXPECT_EQ(cells[size_t(3 * perRow + 1)].Value, Filler());
}

TEST(ReportRequestCheck, RangesAndTemplates)
{
    RecordingMessenger messenger;
    auto doc = IndividualDocument(messenger, { 10, 10 });
    EXPECT_EQ(RangeEndLimit(*doc, -1), 20);
    EXPECT_EQ(RangeEndLimit(*doc, SlotDeviation), 18);
    ReportRequest request = DefaultReportRequest(*doc);
    EXPECT_EQ(request.Captions[SlotCentre], QStringLiteral(" Карта індивідуальних значень "));
    EXPECT_EQ(request.Charts[SlotDeviation].LastText, QStringLiteral("18"));
    EXPECT_FALSE(CheckRanges(*doc, request));
    // A range of points clamped to one chart's values: any range the individual chart takes passes.
    for (int first = 1; first <= 20; ++first) {
        for (int last = first; last <= 20; ++last) {
            for (int slot : { -1, int(SlotCentre), int(SlotDeviation) }) {
                const PointRange clamped = ClampToChart(*doc, slot, { first, last });
                ReportRequest each = request;
                (slot < 0 ? each.Data : each.Charts[size_t(slot)])
                    = { true, QString::number(clamped.First), QString::number(clamped.Last), false };
                EXPECT_FALSE(CheckRanges(*doc, each)) << first << "-" << last << " slot " << slot;
            }
        }
    }
    EXPECT_EQ(ClampToChart(*doc, SlotDeviation, { 19, 20 }).First, 18);
    EXPECT_EQ(ClampToChart(*doc, SlotCentre, { 19, 20 }).First, 19);
    EXPECT_EQ(ClampToChart(*doc, SlotDeviation, { 9, 3 }).Last, 3); // still inverted

    const QString rangeMessage = QStringLiteral(" Карта ковзних розмахів  - некоректно задано діапазон точок!");
    request.Charts[SlotDeviation] = { true, QStringLiteral("5"), QStringLiteral("4"), false };
    EXPECT_EQ(CheckRanges(*doc, request).value_or(QString()), rangeMessage);
    request.Charts[SlotDeviation] = { true, QStringLiteral("1"), QStringLiteral("19"), false }; // beyond the list
    EXPECT_EQ(CheckRanges(*doc, request).value_or(QString()), rangeMessage);
    request.Charts[SlotDeviation] = { true, QStringLiteral("0"), QStringLiteral("5"), false };
    EXPECT_EQ(CheckRanges(*doc, request).value_or(QString()), rangeMessage);
    request.Charts[SlotDeviation] = { true, QStringLiteral("1"), QStringLiteral("п'ять"), false };
    EXPECT_EQ(CheckRanges(*doc, request).value_or(QString()), QStringLiteral("Некоректно задане число!"));
    // The data table is checked first.
    request.Data = { true, QStringLiteral("7"), QStringLiteral("3"), false };
    EXPECT_EQ(CheckRanges(*doc, request).value_or(QString()),
        QStringLiteral("  Таблиця даних  - некоректно задано діапазон точок!"));
    // An unchecked box takes no part.
    request.Data.Checked = false;
    request.Charts[SlotDeviation].Checked = false;
    EXPECT_FALSE(CheckRanges(*doc, request));

    // A folder that lacks group.fr3 blocks every report, naming the file.
    QTemporaryDir dir;
    for (const QString& name : ReportTemplateNames()) {
        if (name != QStringLiteral("group.fr3")) {
            QFile file(ReportTemplatePath(dir.path(), name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
    }
    EXPECT_EQ(MissingTemplateMessage(dir.path()).value_or(QString()),
        QStringLiteral("Не знайдено файл \"") + ReportTemplatePath(dir.path(), QStringLiteral("group.fr3"))
            + QStringLiteral("\"! Неможливо побудувати звіт!"));
    EXPECT_FALSE(MissingTemplateMessage(DeliveredTemplateFolder()));
}

// The header's SHA-256 is of the bytes on disk, and only while they are what the report shows.
TEST(ReportValues, DocumentHashOnlyOfTheUnchangedSavedFile)
{
    RecordingMessenger messenger;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("нітрати.kkd"));
    const auto hashOf = [](const QString& file) {
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return QString::fromLatin1(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex());
    };

    auto doc = IndividualDocument(messenger, { 10 });
    EXPECT_EQ(DocumentFileText(*doc), NotSaved()); // never saved
    EXPECT_EQ(DocumentSha256Text(*doc), NotSaved());

    ASSERT_TRUE(SaveDocument(*doc, path));
    EXPECT_EQ(DocumentFileText(*doc), QDir::toNativeSeparators(path));
    const QString saved = hashOf(path);
    EXPECT_EQ(DocumentSha256Text(*doc), saved);

    doc->MarkChanged(); // edited since
    EXPECT_EQ(DocumentSha256Text(*doc), NotSaved());
    doc->ClearChanged(); // undone back to the saved state
    EXPECT_EQ(DocumentSha256Text(*doc), saved);

    // Loaded: hashed as well, from the file it was read from.
    MeasurementDocument loaded(messenger);
    ASSERT_TRUE(LoadDocument(loaded, path));
    EXPECT_EQ(DocumentSha256Text(loaded), saved);

    // Written behind our back: other bytes, or the same size at another time.
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("\r\n");
    }
    EXPECT_EQ(DocumentSha256Text(*doc), NotSaved());
    ASSERT_TRUE(SaveDocument(*doc, path));
    EXPECT_EQ(DocumentSha256Text(*doc), saved);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QFileInfo(path).lastModified().addSecs(60), QFileDevice::FileModificationTime));
    }
    EXPECT_EQ(DocumentSha256Text(*doc), NotSaved());
    QFile::remove(path);
    EXPECT_EQ(DocumentSha256Text(loaded), NotSaved()); // gone

    // Another name (a recovered copy takes its original's) is not the file that was hashed.
    ASSERT_TRUE(SaveDocument(*doc, path));
    doc->SetFileName(dir.filePath(QStringLiteral("інший.kkd")));
    EXPECT_EQ(DocumentSha256Text(*doc), NotSaved());
}

TEST(ReportValues, HeaderRowsThatIdentifyTheRecord)
{
    RecordingMessenger messenger;
    auto individual = IndividualDocument(messenger, { 4, 3 });
    EXPECT_EQ(ModeText(*individual), QStringLiteral("Індивідуальні значення"));
    EXPECT_EQ(UnitsText(*individual), QStringLiteral("мг/л"));
    EXPECT_EQ(MeasuredParameterText(*individual), NotGiven());
    individual->SetHeaderText(HeaderField::MeasuredParameter, QStringLiteral(" Нітрати "));
    EXPECT_EQ(MeasuredParameterText(*individual), NotGiven()); // its box unchecked
    individual->SetHeaderPresent(HeaderField::MeasuredParameter, true);
    EXPECT_EQ(MeasuredParameterText(*individual), QStringLiteral("Нітрати"));
    const auto setDates = [&](QStringList dates) {
        individual->SetPointIndex(individual->PointGroup(), std::move(dates), individual->GroupList());
    };
    setDates({ QString(), QStringLiteral("02.01.2024"), QStringLiteral("03.01.2024"), QStringLiteral(" "), QString() });
    EXPECT_EQ(FirstDateText(*individual), QStringLiteral("02.01.2024"));
    EXPECT_EQ(LastDateText(*individual), QStringLiteral("03.01.2024"));
    setDates({ QString(), QStringLiteral("  ") });
    EXPECT_EQ(FirstDateText(*individual), NotGiven()); // no dates entered
    EXPECT_EQ(LastDateText(*individual), NotGiven());

    auto subgroups = SubgroupDocument(messenger, 5, { 3 });
    EXPECT_EQ(ModeText(*subgroups), QStringLiteral("Групові значення, підгрупи по 5"));
    subgroups->SetUnits(QStringLiteral("  "));
    EXPECT_EQ(UnitsText(*subgroups), NotGiven());

    EXPECT_FALSE(ProgramVersionText().isEmpty());
    EXPECT_EQ(PictureDescription(QStringLiteral(" Карта середніх "), { 1, 12 }),
        QStringLiteral("Карта середніх, точки 1–12"));
    EXPECT_EQ(PictureDescription(QStringLiteral("Карта x"), { 5, 5 }), QStringLiteral("Карта x, точка 5"));
}
