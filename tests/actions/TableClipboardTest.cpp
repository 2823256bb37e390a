#include "exchange/TableClipboard.h"
#include "actions/Paste.h"

#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "compute/ComputeDriver.h"
#include "model/MeasurementDocument.h"

namespace {

// The grids' paste: the clipboard text parsed, then pasted.
bool PasteText(MeasurementDocument& doc, int row, int column, const QString& text)
{
    return PasteCells(doc, row, column, ClipboardBlock(text));
}

// Individual values: points 1-3, separator, points 4-6.
void BuildTwoGroups(MeasurementDocument& doc)
{
    BuildDocument(doc, 0, { { { "1.1" }, { "1.2" }, { "1.3" } }, { { "2.1" }, { "2.2" }, { "2.3" } } });
}

QStringList Values(const MeasurementDocument& doc)
{
    QStringList values;
    for (int row = 1; row <= doc.TableRowCount(); ++row)
        values << doc.ValueText(row, 0).toString();
    return values;
}

const QString Line = MeasurementDocument::SeparatorLine();

} // namespace

TEST(TableClipboard, PasteRunsAcrossSeparatorsAsOneEdit)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildTwoGroups(doc);
    ASSERT_TRUE(RunComputeCommand(doc));
    int changes = 0;
    QObject::connect(&doc, &MeasurementDocument::changedFlagChanged, [&] { ++changes; });

    // Dates and values from the date cell of point 2: the third block row skips the separator.
    ASSERT_TRUE(PasteText(doc, 2, TableColumns::Date,
        QStringLiteral("03.01.2024\t5,5\r\n04.01.2024\t6,5\r\n"
                       "05.01.2024\t7,5\r\n")));
    EXPECT_FALSE(doc.IsComputed());
    EXPECT_TRUE(doc.Changed());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(Values(doc), (QStringList { "1.1", "5,5", "6,5", Line, "7,5", "2.2", "2.3" }));
    EXPECT_EQ(doc.DateText(5), "05.01.2024");
    EXPECT_EQ(doc.DateText(4), Line);
    EXPECT_TRUE(messenger.questions.isEmpty());

    // A block copied from the grids with its separator row lands on points only; ";" works too.
    ASSERT_TRUE(PasteText(doc, 1, TableColumns::FirstValue, QStringLiteral("9\n%1\n8\n").arg(Line)));
    EXPECT_EQ(Values(doc).mid(0, 2), (QStringList { "9", "8" }));
    ASSERT_TRUE(PasteText(doc, 6, TableColumns::Date, QStringLiteral("07.01.2024;3,25")));
    EXPECT_EQ(doc.ValueText(6, 0), u"3,25");
}

TEST(TableClipboard, TooWideBlockChangesNothing)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 3, { { { "1", "2", "3" }, { "4", "5", "6" } } });
    ASSERT_TRUE(RunComputeCommand(doc));
    doc.ClearChanged();

    EXPECT_FALSE(PasteText(doc, 1, TableColumns::FirstValue + 1, QStringLiteral("7\t8\t9\n")));
    ASSERT_EQ(messenger.messages.size(), 1);
    EXPECT_TRUE(messenger.messages[0].contains(QStringLiteral("Нічого не вставлено")));
    EXPECT_TRUE(doc.IsComputed());
    EXPECT_FALSE(doc.Changed());
    EXPECT_EQ(doc.ValueText(1, 1), u"2");
    // The date and all three values fit from the date column.
    EXPECT_TRUE(PasteText(doc, 1, TableColumns::Date, QStringLiteral("01.03.2024\t7\t8\t9\n")));
    EXPECT_EQ(doc.ValueText(1, 2), u"9");
}

TEST(TableClipboard, LongBlockAsksToAppend)
{
    const QString block = QStringLiteral("7\n8\n9\n10\n");
    {
        RecordingMessenger messenger;
        messenger.answers = { true };
        MeasurementDocument doc(messenger);
        BuildTwoGroups(doc);
        ASSERT_TRUE(PasteText(doc, 6, TableColumns::FirstValue, block));
        ASSERT_EQ(messenger.questions.size(), 1);
        EXPECT_TRUE(messenger.questions[0].contains(QStringLiteral("нових точок: 2?")));
        EXPECT_EQ(doc.PointCount(), 8);
        EXPECT_EQ(doc.GroupCount(), 2);
        EXPECT_EQ(doc.Groups().size(), 2u);
        EXPECT_EQ(Values(doc), (QStringList { "1.1", "1.2", "1.3", Line, "2.1", "7", "8", "9", "10" }));
        EXPECT_EQ(doc.LabelText(9), "8");
        EXPECT_TRUE(RunComputeCommand(doc));
    }
    {
        RecordingMessenger messenger;
        messenger.answers = { false };
        MeasurementDocument doc(messenger);
        BuildTwoGroups(doc);
        ASSERT_TRUE(PasteText(doc, 6, TableColumns::FirstValue, block));
        EXPECT_EQ(doc.PointCount(), 6);
        EXPECT_EQ(Values(doc).mid(5), (QStringList { "7", "8" }));
    }
    {
        // An empty new document takes a pasted column whole.
        RecordingMessenger messenger;
        messenger.answers = { true };
        MeasurementDocument doc(messenger);
        BuildDocument(doc, 0, {});
        ASSERT_TRUE(PasteText(doc, 1, TableColumns::FirstValue, QStringLiteral("1,5\n\n2,5\n")));
        EXPECT_EQ(doc.PointCount(), 3);
        EXPECT_EQ(Values(doc), (QStringList { "1,5", "", "2,5" }));
    }
}

TEST(TableClipboard, CopyUsesTheUserDecimalSeparator)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 0, { { { "1.25" }, { "abc" } }, { { "2" }, { "3,5" } } });
    const QString copied = CopyCells(doc, 1, 3, TableColumns::Label, TableColumns::FirstValue);
    EXPECT_EQ(copied,
        QStringLiteral("1\t02.01.2024\t1,25\n2\t03.01.2024\tabc\n%1\t%2\t%2\n")
            .arg(MeasurementDocument::SeparatorLabel(1), Line));
    // Copy then paste elsewhere gives the same texts back (the separator row is passed over).
    RecordingMessenger second;
    MeasurementDocument target(second);
    BuildDocument(target, 0, { { { "" }, { "" }, { "" }, { "" } } });
    ASSERT_TRUE(PasteText(target, 1, TableColumns::Date, CopyCells(doc, 1, 5, TableColumns::Date, 2)));
    EXPECT_EQ(Values(target), (QStringList { "1,25", "abc", "2", "3,5" }));
}
