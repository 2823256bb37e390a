#include "common/DocumentBuilder.h"
#include "common/DocumentFileTestSupport.h"

#include "common/TestSupport.h"
#include "compute/ComputeDriver.h"
#include "model/DocumentFile.h"
#include "presentation/MainWindowState.h"

#include <QDir>
#include <QFile>

namespace {

QStringList Lines(std::initializer_list<const char*> texts)
{
    QStringList out;
    for (const char* t : texts)
        out.append(QString::fromUtf8(t));
    return out;
}

// Line positions of the small subgroup file below.
constexpr int ModeLine = 1;
constexpr int InfoCountLine = 19;
constexpr int PointCountLine = 25;
constexpr int SubgroupSizeLine = 26;
constexpr int GroupCountLine = 31;
constexpr int FirstFlagLine = 32;
constexpr int FirstDateLine = 39;
constexpr int FirstValueLine = 45;
constexpr int DecimalsLine = 63;
constexpr int RecordCountLine = 64;
constexpr int FirstRecordLine = 65;

// Subgroups of 3: two points, a separator... no: three points, a separator, two points.
QStringList SmallSubgroupFile()
{
    QStringList lines = Lines({ "UNPOS", "False", "08.12.2026", "Назва таблиці", "True", "Петренко П. П.", "False",
        "Діаметр", "false", "", "FALSE", "", "0", "", "0", "", "0", "Детектор ДТ-1", "True", "1", "рядок пам'яті", "мм",
        "True", "-1", "False", "5", "3", "True", "0", "1", "False", "2" });
    lines += Lines({ "False", "False", "False", "True", "False", "False", "True" });
    lines += Lines({ "01.01.2024", "02.01.2024", "03.01.2024", "" });
    lines[FirstDateLine + 3] = QString(75, u'_');
    lines += Lines({ "04.01.2024", "05.01.2024" });
    const char* values[6][3] = { { "1,5", "1.25", "2" }, { "3", "", "4.125" }, { "5", "6", "7" }, { "_", "_", "_" },
        { "8", "9", "10" }, { "11", "12", "н/д" } };
    for (auto& row : values) {
        for (const char* v : row)
            lines.append(QString::fromUtf8(v) == u"_" ? QString(75, u'_') : QString::fromUtf8(v));
    }
    lines += Lines({ "3", "2", "True", "False", "1", "10,5", "0.25", "False", "False", "False" });
    return lines;
}

// Individual values: no subgroup size and no subgroup chart choices.
QStringList SmallIndividualFile()
{
    QStringList lines = Lines({ "UNPOS", "True", "", "Таблиця", "True", "Оператор", "True", "Параметр", "False", "",
        "False", "", "False", "", "False", "", "False", "", "False", "0", "", "True", "True", "False", "4", "1" });
    lines += Lines({ "False", "False", "False", "False", "True" });
    lines += Lines(
        { "d1", "d2", "d3", "d4", "1.1", "1.2", "1.3", "1.4", "1", "1", "True", "True", "False", "2,5", "0.5" });
    return lines;
}

QStringList LegacyFile(int kind, const char* second = "2.5")
{
    QStringList lines
        = Lines({ " Петренко ", "", "1", "10.5", "1", second, "1", "0.3", "3", "4", "ignored", "Назва", "  " });
    lines[1] = QString::number(kind);
    if (kind == 3) {
        lines += Lines({ "d1", "1.25", "d2", "2", "d3", "3" });
    } else {
        lines += Lines({ "d1", "d2", "d3" });
        for (int c = 0; c < 4; ++c) {
            for (int r = 0; r < 3; ++r)
                lines.append(QString::number(10 * c + r));
        }
    }
    return lines;
}

struct Loaded {
    RecordingMessenger messenger;
    MeasurementDocument doc { messenger };
    bool ok = false;
    bool Load(const QByteArray& bytes, const QString& name = QStringLiteral("doc.mrd"))
    {
        messenger.messages.clear();
        ok = LoadDocumentFromBytes(doc, bytes, name);
        return ok;
    }
};

TFixableValue Fixed(double value)
{
    return { true, value };
}

} // namespace

TEST(DocumentFileLoad, ReadsEveryItemOfTheCurrentLayout)
{
    Loaded l;
    l.doc.MarkChanged();
    ASSERT_TRUE(l.Load(FileBytes(SmallSubgroupFile()), QStringLiteral(" small.mrd ")));
    const MeasurementDocument& doc = l.doc;
    EXPECT_TRUE(l.messenger.messages.isEmpty()) << l.messenger.messages.join(u'\n').toStdString();
    ExpectConsistent(doc);
    EXPECT_FALSE(doc.IndividualMode());
    EXPECT_EQ(doc.FillDate(), QStringLiteral("08.12.2026"));
    EXPECT_EQ(doc.TableName(), QStringLiteral("Назва таблиці"));
    EXPECT_TRUE(doc.Header(HeaderField::Operator).Present);
    EXPECT_EQ(doc.Header(HeaderField::Operator).Text, QStringLiteral("Петренко П. П."));
    EXPECT_FALSE(doc.Header(HeaderField::MeasuredParameter).Present);
    EXPECT_EQ(doc.Header(HeaderField::MeasuredParameter).Text, QStringLiteral("Діаметр"));
    EXPECT_FALSE(doc.Header(HeaderField::Detector).Present);
    EXPECT_EQ(doc.Header(HeaderField::Detector).Text, QStringLiteral("Детектор ДТ-1"));
    EXPECT_TRUE(doc.AdditionalInfoPresent());
    EXPECT_EQ(doc.AdditionalInfo(), QStringList { QStringLiteral("рядок пам'яті") });
    EXPECT_EQ(doc.Units(), QStringLiteral("мм"));
    const bool charts[] = { true, true, true, false, true, false, false }; // N11 N21 N31 N41 N51 N61 N13
    for (int item = 0; item < ChartChoiceCount; ++item)
        EXPECT_EQ(doc.ChartSelection(ChartChoice(item)), charts[item]) << item;
    EXPECT_EQ(doc.PointCount(), 5);
    EXPECT_EQ(doc.SubgroupSize(), 3);
    EXPECT_EQ(doc.GroupCount(), 2);
    EXPECT_EQ(doc.SeparatorFlags(), (std::vector<bool> { false, false, false, true, false, false, true }));
    EXPECT_EQ(doc.DateText(1), QStringLiteral("01.01.2024"));
    EXPECT_EQ(doc.DateText(4), MeasurementDocument::SeparatorLine());
    EXPECT_EQ(doc.DateText(6), QStringLiteral("05.01.2024"));
    EXPECT_EQ(doc.ValueText(1, 0), QStringLiteral("1,5"));
    EXPECT_EQ(doc.ValueText(2, 1), QString());
    EXPECT_EQ(doc.ValueText(4, 2), MeasurementDocument::SeparatorLine());
    EXPECT_EQ(doc.ValueText(6, 2), QStringLiteral("н/д"));
    EXPECT_EQ(doc.LabelText(4), QStringLiteral("Розділювач №1"));
    EXPECT_EQ(doc.LabelText(5), QStringLiteral("4"));
    EXPECT_EQ(doc.DisplayPrecision(), 3);
    ASSERT_EQ(doc.Groups().size(), 2u);
    EXPECT_EQ(doc.Groups()[0].CentreSetting, Fixed(10.5)); // "10,5" in the group section
    EXPECT_FALSE(doc.Groups()[0].RangeCentreSetting.Fixed);
    EXPECT_EQ(doc.Groups()[0].SigmaSetting, Fixed(0.25));
    EXPECT_FALSE(doc.Groups()[1].CentreSetting.Fixed);
    EXPECT_FALSE(doc.Groups()[1].SigmaSetting.Fixed);
    EXPECT_EQ(doc.FileName(), QStringLiteral("small.mrd"));
    EXPECT_FALSE(doc.Changed());
    EXPECT_TRUE(MainWindowState(doc).DocumentCommandsEnabled());
}

TEST(DocumentFileLoad, IndividualFileHasNoSubgroupItems)
{
    Loaded l;
    ASSERT_TRUE(l.Load(FileBytes(SmallIndividualFile(), "\n")));
    ExpectConsistent(l.doc);
    EXPECT_TRUE(l.doc.IndividualMode());
    EXPECT_EQ(l.doc.PointCount(), 4);
    EXPECT_EQ(l.doc.SubgroupSize(), 0);
    EXPECT_EQ(l.doc.ValueText(4, 0), QStringLiteral("1.4"));
    EXPECT_EQ(l.doc.DisplayPrecision(), 1); // taken as stored, not recomputed
    EXPECT_EQ(l.doc.Groups()[0].CentreSetting, Fixed(2.5));
    EXPECT_EQ(l.doc.Groups()[0].RangeCentreSetting, Fixed(0.5));
    EXPECT_FALSE(l.doc.Groups()[0].SigmaSetting.Fixed);
}

TEST(DocumentFileLoad, GroupValueThatIsNotANumberLeavesTheSettingAutomatic)
{
    QStringList lines = SmallSubgroupFile();
    lines[FirstRecordLine + 3] = QStringLiteral("abc");
    lines[FirstRecordLine + 5] = QStringLiteral("True"); // the second record's first flag
    lines.append(QStringLiteral("-7e-3"));
    Loaded l;
    ASSERT_TRUE(l.Load(FileBytes(lines)));
    EXPECT_FALSE(l.doc.Groups()[0].CentreSetting.Fixed);
    EXPECT_EQ(l.doc.Groups()[0].SigmaSetting, Fixed(0.25));
    EXPECT_EQ(l.doc.Groups()[1].CentreSetting, Fixed(-0.007));
}

// The reader sets only the three stored settings; the others stay with the record at that position.
TEST(DocumentFileLoad, SettingsNotStoredStayWithTheRecordAtTheirPosition)
{
    Loaded l;
    ASSERT_TRUE(l.Load(FileBytes(SmallSubgroupFile())));
    EditGroup(l.doc, 0, [&](TIndividualInfo& record) { record.DeviationCentreSetting = Fixed(7); });
    EditGroup(l.doc, 0, [&](TIndividualInfo& record) { record.UseSampleDeviation = false; });
    EditGroup(l.doc, 1, [&](TIndividualInfo& record) { record.MedianCentreSetting = Fixed(3); });
    ASSERT_TRUE(l.Load(FileBytes(SmallIndividualFile())));
    ASSERT_EQ(l.doc.Groups().size(), 1u);
    EXPECT_EQ(l.doc.Groups()[0].DeviationCentreSetting, Fixed(7));
    EXPECT_FALSE(l.doc.Groups()[0].UseSampleDeviation);
    EXPECT_TRUE(l.doc.Groups()[0].Individual);
    ASSERT_TRUE(l.Load(FileBytes(SmallSubgroupFile())));
    EXPECT_FALSE(l.doc.Groups()[1].MedianCentreSetting.Fixed); // a new record
    EXPECT_FALSE(l.doc.Groups()[0].Individual);
}

TEST(DocumentFileLoad, LegacyChartKindCodes)
{
    const TFixableValue automatic;
    struct Case {
        int kind;
        bool individual;
        TFixableValue centre, range, sigma, deviation, median;
        bool useSampleDeviation;
    };
    const Case cases[] = {
        { 1, false, Fixed(10.5), Fixed(2.5), Fixed(0.3), automatic, automatic, true },
        { 2, false, Fixed(10.5), automatic, Fixed(0.3), Fixed(2.5), automatic, true },
        { 3, true, Fixed(10.5), Fixed(2.5), Fixed(0.3), automatic, automatic, false },
        { 4, false, automatic, Fixed(2.5), automatic, automatic, Fixed(10.5), true },
        { 10, false, automatic, Fixed(2.5), Fixed(0.3), automatic, automatic, true },
        { 7, false, Fixed(99), automatic, automatic, Fixed(98), automatic, false }, // record left as it was
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Loaded l;
        ASSERT_TRUE(l.Load(FileBytes(SmallSubgroupFile())));
        EditGroup(l.doc, 0, [&](TIndividualInfo& before) {
            before.CentreSetting = Fixed(99);
            before.SigmaSetting = automatic;
            before.DeviationCentreSetting = Fixed(98);
            before.UseSampleDeviation = false;
        });
        l.doc.SetUnits(QStringLiteral("мм"));
        ASSERT_TRUE(l.Load(FileBytes(LegacyFile(c.kind)), QStringLiteral("old.mrd")));
        const MeasurementDocument& doc = l.doc;
        ExpectConsistent(doc);
        EXPECT_EQ(doc.IndividualMode(), c.individual);
        ASSERT_EQ(doc.Groups().size(), 1u);
        const TIndividualInfo& record = doc.Groups()[0];
        EXPECT_EQ(record.CentreSetting, c.centre);
        EXPECT_EQ(record.RangeCentreSetting, c.range);
        EXPECT_EQ(record.SigmaSetting, c.sigma);
        EXPECT_EQ(record.DeviationCentreSetting, c.deviation);
        EXPECT_EQ(record.MedianCentreSetting, c.median);
        EXPECT_EQ(record.UseSampleDeviation, c.useSampleDeviation);

        EXPECT_EQ(doc.Header(HeaderField::Operator).Text, QStringLiteral("Петренко"));
        EXPECT_TRUE(doc.Header(HeaderField::Operator).Present);
        EXPECT_EQ(doc.TableName(), QStringLiteral("Назва"));
        EXPECT_FALSE(doc.Header(HeaderField::MeasuredParameter).Present); // blank text
        EXPECT_EQ(doc.Units(), QString());
        EXPECT_EQ(doc.Header(HeaderField::Detector).Text, QString());
        EXPECT_FALSE(doc.Header(HeaderField::Detector).Present);
        EXPECT_FALSE(doc.AdditionalInfoPresent());
        EXPECT_TRUE(doc.AdditionalInfo().isEmpty());
        EXPECT_EQ(doc.PointCount(), 3);
        EXPECT_EQ(doc.SeparatorFlags(), (std::vector<bool> { false, false, false, true }));
        EXPECT_TRUE(doc.ChartSelection(N11));
        EXPECT_TRUE(doc.ChartSelection(N31));
        EXPECT_FALSE(doc.ChartSelection(N13));
        EXPECT_EQ(doc.DateText(2), QStringLiteral("d2"));
        if (c.individual) {
            EXPECT_EQ(doc.ValueText(1, 0), QStringLiteral("1.25"));
            EXPECT_EQ(doc.ValueText(3, 0), QStringLiteral("3"));
            EXPECT_EQ(doc.DisplayPrecision(), 2); // recomputed
        } else {
            EXPECT_EQ(doc.SubgroupSize(), 4);
            EXPECT_EQ(doc.ValueText(1, 0), QStringLiteral("0"));
            EXPECT_EQ(doc.ValueText(3, 1), QStringLiteral("12"));
            EXPECT_EQ(doc.ValueText(2, 3), QStringLiteral("31"));
            EXPECT_EQ(doc.DisplayPrecision(), 1);
            EXPECT_TRUE(doc.ChartSelection(N21));
            EXPECT_TRUE(doc.ChartSelection(N51));
            EXPECT_FALSE(doc.ChartSelection(N41));
            EXPECT_FALSE(doc.ChartSelection(N61));
        }
    }
}

TEST(DocumentFileLoad, LegacyRealsTakeNoDecimalComma)
{
    Loaded l;
    ASSERT_TRUE(l.Load(FileBytes(LegacyFile(1, "2,5"))));
    EXPECT_FALSE(l.doc.Groups()[0].RangeCentreSetting.Fixed);
    EXPECT_EQ(l.doc.Groups()[0].CentreSetting, Fixed(10.5));
}

TEST(DocumentFileLoad, LegacyCodeSevenAfterStartHasAnAutomaticRecord)
{
    Loaded l;
    ASSERT_TRUE(l.Load(FileBytes(LegacyFile(7))));
    const TIndividualInfo fresh(false);
    const TIndividualInfo& record = l.doc.Groups()[0];
    for (const auto& [a, b] : { std::pair { record.CentreSetting, fresh.CentreSetting },
             { record.RangeCentreSetting, fresh.RangeCentreSetting }, { record.SigmaSetting, fresh.SigmaSetting } })
        EXPECT_EQ(a, b);
    EXPECT_TRUE(record.UseSampleDeviation);
}

TEST(DocumentFileLoad, MarkerWithATrailingBlankIsALegacyOperator)
{
    QStringList lines = LegacyFile(3);
    lines[0] = QStringLiteral("UNPOS ");
    Loaded l;
    ASSERT_TRUE(l.Load(FileBytes(lines)));
    EXPECT_EQ(l.doc.Header(HeaderField::Operator).Text, QStringLiteral("UNPOS"));
    EXPECT_TRUE(l.doc.IndividualMode());

    lines[0] = QString();
    ASSERT_TRUE(l.Load(FileBytes(lines)));
    EXPECT_FALSE(l.doc.Header(HeaderField::Operator).Present);
}

// A file cut after any line fails with the load error, keeps what it read, and leaves a document
// that the compute can take.
TEST(DocumentFileLoad, TruncatedAtEveryLine)
{
    for (const QStringList& file : { SmallSubgroupFile(), SmallIndividualFile(), LegacyFile(1), LegacyFile(3) }) {
        for (qsizetype kept = 0; kept < file.size(); ++kept) {
            SCOPED_TRACE(kept);
            Loaded l;
            EXPECT_FALSE(l.Load(FileBytes(file.mid(0, kept)), QStringLiteral("cut.mrd")));
            EXPECT_EQ(l.messenger.messages.count(LoadErrorText()), 1);
            ExpectConsistent(l.doc);
            EXPECT_EQ(l.doc.FileName(), QStringLiteral("cut.mrd"));
            EXPECT_FALSE(l.doc.Changed());
            RunComputeCommand(l.doc);
            ExpectConsistent(l.doc);
        }
    }
}

TEST(DocumentFileLoad, FileEndingInTheValuesKeepsTheRowsReadSoFar)
{
    Loaded l;
    EXPECT_FALSE(l.Load(FileBytes(SmallSubgroupFile().mid(0, FirstValueLine + 7))));
    ASSERT_EQ(l.doc.PointCount(), 5);
    EXPECT_EQ(l.doc.TableName(), QStringLiteral("Назва таблиці"));
    EXPECT_EQ(l.doc.DateText(6), QStringLiteral("05.01.2024"));
    EXPECT_EQ(l.doc.ValueText(2, 2), QStringLiteral("4.125"));
    EXPECT_EQ(l.doc.ValueText(3, 0), QStringLiteral("5"));
    EXPECT_EQ(l.doc.ValueText(3, 1), QString());

    // With fewer than half of the 24 date and value lines left, the counts are not believed.
    EXPECT_FALSE(l.Load(FileBytes(SmallSubgroupFile().mid(0, FirstDateLine + 12))));
    EXPECT_EQ(l.doc.PointCount(), 5);
    EXPECT_FALSE(l.Load(FileBytes(SmallSubgroupFile().mid(0, FirstDateLine + 11))));
    EXPECT_EQ(l.doc.PointCount(), 0);
    ExpectConsistent(l.doc);
}

TEST(DocumentFileLoad, TruncatedAtEveryByte)
{
    for (const QStringList& file : { SmallSubgroupFile(), LegacyFile(3) }) {
        const QByteArray bytes = FileBytes(file);
        for (qsizetype kept = 0; kept < bytes.size(); ++kept) {
            SCOPED_TRACE(kept);
            Loaded l;
            l.Load(bytes.left(kept));
            ExpectConsistent(l.doc);
            EXPECT_LE(l.messenger.messages.count(LoadErrorText()), 1);
        }
    }
}

// Counts that the rest of the file cannot back, and structures no table can have, fail the load
// before anything is laid out; the document is left with the header read so far and an empty table.
TEST(DocumentFileLoad, HostileCountsAndStructures)
{
    struct Edit {
        int line;
        const char* text;
    };
    struct Case {
        const char* name;
        std::vector<Edit> edits;
        bool beforeLayout;
    };
    const Case cases[] = {
        { "mode not a boolean", { { ModeLine, "yes" } }, true },
        { "huge information line count", { { InfoCountLine, "2147483647" } }, true },
        { "negative information line count", { { InfoCountLine, "-1" } }, true },
        { "huge point count", { { PointCountLine, "2147483647" } }, true },
        { "point count the file cannot back", { { PointCountLine, "1000000" } }, true },
        { "negative point count", { { PointCountLine, "-1" } }, true },
        { "one point more than the flags", { { PointCountLine, "6" } }, true },
        { "one point fewer than the flags", { { PointCountLine, "4" } }, true },
        { "subgroup size 1", { { SubgroupSizeLine, "1" } }, true },
        { "subgroup size 26", { { SubgroupSizeLine, "26" } }, true },
        { "subgroup size 0", { { SubgroupSizeLine, "0" } }, true },
        { "no groups", { { GroupCountLine, "0" } }, true },
        { "negative group count", { { GroupCountLine, "-2" } }, true },
        { "huge group count", { { GroupCountLine, "2147483647" } }, true },
        { "one group more than the separators", { { GroupCountLine, "3" } }, true },
        { "flag not a boolean", { { FirstFlagLine + 2, "maybe" } }, true },
        { "end sentinel false", { { FirstFlagLine + 6, "False" } }, true },
        { "more separators than groups", { { FirstFlagLine + 1, "True" } }, true },
        { "separator as first row", { { FirstFlagLine, "True" }, { FirstFlagLine + 3, "False" } }, true },
        { "separator as last row", { { FirstFlagLine + 5, "True" }, { FirstFlagLine + 3, "False" } }, true },
        { "adjacent separators", { { PointCountLine, "4" }, { GroupCountLine, "3" }, { FirstFlagLine + 2, "True" } },
            true },
        { "decimals not an integer", { { DecimalsLine, "3.0" } }, false },
        { "more group records than groups", { { RecordCountLine, "3" } }, false },
        { "fewer group records than groups", { { RecordCountLine, "1" } }, false },
        { "group flag not a boolean", { { FirstRecordLine + 1, "" } }, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList lines = SmallSubgroupFile();
        for (const Edit& edit : c.edits)
            lines[edit.line] = QString::fromUtf8(edit.text);
        const int line = c.edits.front().line;
        Loaded l;
        ASSERT_TRUE(l.Load(FileBytes(SmallIndividualFile()))); // a document to replace
        EXPECT_FALSE(l.Load(FileBytes(lines)));
        EXPECT_EQ(l.messenger.messages.count(LoadErrorText()), 1);
        ExpectConsistent(l.doc);
        if (c.beforeLayout) {
            EXPECT_EQ(l.doc.PointCount(), 0);
            EXPECT_EQ(l.doc.RowCount(), 1);
        } else {
            EXPECT_EQ(l.doc.PointCount(), 5);
        }
        if (line > 3) {
            EXPECT_EQ(l.doc.TableName(), QStringLiteral("Назва таблиці"));
        }
        EXPECT_EQ(l.doc.IndividualMode(), line == ModeLine); // the mode read, or the one before
        RunComputeCommand(l.doc);
        ExpectConsistent(l.doc);
    }
}

TEST(DocumentFileLoad, HostileLegacyCounts)
{
    struct Case {
        const char* name;
        int kind;
        int line;
        const char* text;
    };
    const Case cases[] = {
        { "kind not an integer", 1, 1, "один" },
        { "huge point count", 1, 8, "2147483647" },
        { "huge individual point count", 3, 8, "2147483647" },
        { "negative point count", 1, 8, "-3" },
        { "subgroup size 26", 1, 9, "26" },
        { "subgroup size 1", 1, 9, "1" },
        { "size not an integer", 3, 9, "x" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList lines = LegacyFile(c.kind);
        lines[c.line] = QString::fromUtf8(c.text);
        Loaded l;
        EXPECT_FALSE(l.Load(FileBytes(lines)));
        EXPECT_EQ(l.messenger.messages.count(LoadErrorText()), 1);
        ExpectConsistent(l.doc);
        EXPECT_EQ(l.doc.PointCount(), 0);
    }
}

TEST(DocumentFileLoad, MissingOrEmptyFile)
{
    const QString folder = TemporaryFolder();
    const QString empty = folder + QStringLiteral("/empty.mrd");
    QFile file(empty);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    // An empty file is read (and fails); a file that cannot be read at all leaves the document,
    // its name and its unsaved changes alone.
    for (const QString& name : { empty, folder + QStringLiteral("/missing.mrd"), folder }) {
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        doc.SetFileName(QStringLiteral("old.mrd"));
        doc.MarkChanged();
        EXPECT_FALSE(LoadDocument(doc, name));
        EXPECT_EQ(messenger.messages, QStringList { LoadErrorText() });
        const bool read = name == empty;
        EXPECT_EQ(doc.FileName(), read ? name : QStringLiteral("old.mrd"));
        EXPECT_EQ(doc.Changed(), !read);
    }
}
