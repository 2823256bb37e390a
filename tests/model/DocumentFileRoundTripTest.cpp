#include "common/DocumentFileTestSupport.h"

#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "compute/ComputeDriver.h"
#include "model/DocumentFile.h"

#include <cmath>
#include <cstring>
#include <random>

namespace {

QString Pick(std::mt19937& rng, const QStringList& pool)
{
    return pool[qsizetype(rng() % pool.size())];
}

QString RandomValueText(std::mt19937& rng)
{
    switch (rng() % 8) {
    case 0:
        return Pick(rng,
            { QString(), QStringLiteral(" "), QStringLiteral("н/д"), QStringLiteral("abc"), QStringLiteral("-0"),
                QStringLiteral("1e-7"), QStringLiteral(" 12,5 ") });
    default: {
        const int decimals = int(rng() % 8);
        QString text = QString::number(double(rng() % 2000000) / 1000.0 - 1000.0, 'f', decimals);
        if (rng() % 2)
            text.replace(QLatin1Char('.'), QLatin1Char(','));
        return text;
    }
    }
}

double RandomReal(std::mt19937& rng)
{
    static const double specials[] = { 0.0, -0.0, 0.1, -2.5, 1e-300, 5e-324, 1.7976931348623157e308, 123456.789,
        0.30000000000000004, 2.2250738585072014e-308 };
    if (rng() % 3 == 0)
        return specials[rng() % std::size(specials)];
    for (;;) {
        const uint64_t bits = (uint64_t(rng()) << 32) | rng();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value))
            return value;
    }
}

// A document of random kind, groups, texts and settings, laid out as the reader lays one out.
void Generate(MeasurementDocument& doc, std::mt19937& rng)
{
    const QStringList texts { QString(), QStringLiteral("   "), QStringLiteral("Іванов І. І."),
        QStringLiteral("Внутрішній діаметр поршневих кілець"), QStringLiteral("ЁёЇїІіЄєҐґ №«»—€‰"),
        QStringLiteral(" leading and trailing "), QStringLiteral("a;b,c\t\"q\"") };
    const bool individual = rng() % 2;
    const int subgroupSize = 2 + int(rng() % 24);
    const int columns = individual ? 1 : subgroupSize;
    std::vector<bool> flags;
    const int groups = rng() % 10 == 0 ? 1 : 1 + int(rng() % 4);
    const bool empty = groups == 1 && rng() % 3 == 0;
    int points = 0;
    for (int g = 0; g < groups && !empty; ++g) {
        if (g > 0)
            flags.push_back(true);
        const int size = 1 + int(rng() % 6);
        flags.insert(flags.end(), size_t(size), false);
        points += size;
    }
    flags.push_back(true);

    doc.StoreIndividualMode(individual);
    doc.SetPointCount(points);
    if (!individual)
        doc.SetSubgroupSize(subgroupSize);
    doc.StoreGroupCount(groups);
    doc.SetSeparatorFlags(flags);
    doc.SetMode(individual);
    doc.SetGroupCount(groups);
    for (int row = 1; row <= doc.TableRowCount(); ++row) {
        const bool separator = flags[size_t(row - 1)];
        doc.SetDateText(row,
            separator
                ? MeasurementDocument::SeparatorLine()
                : Pick(rng,
                    { QStringLiteral("01.02.2024"), QString(), QStringLiteral("дата"), QStringLiteral(" 3.3.2023 ") }));
        for (int c = 0; c < columns; ++c)
            doc.SetValueText(row, c, separator ? MeasurementDocument::SeparatorLine() : RandomValueText(rng));
    }

    doc.SetFillDate(Pick(rng, { QStringLiteral("08.12.2026"), QString(), QStringLiteral("  .  .    ") }));
    doc.SetTableName(Pick(rng, texts));
    for (int f = 0; f < HeaderFieldCount; ++f) {
        doc.SetHeaderPresent(HeaderField(f), rng() % 2);
        doc.SetHeaderText(HeaderField(f), Pick(rng, texts));
    }
    doc.SetAdditionalInfoPresent(rng() % 2);
    QStringList info;
    for (int i = int(rng() % 4); i > 0; --i)
        info.append(Pick(rng, texts));
    doc.SetAdditionalInfo(info);
    doc.SetUnits(Pick(rng, { QString(), QStringLiteral("мм"), QStringLiteral("мг/дм3"), QStringLiteral("%") }));
    for (int item = 0; item < ChartChoiceCount; ++item)
        doc.SetChartSelection(ChartChoice(item), rng() % 2);
    doc.SetDisplayPrecision(1 + int(rng() % 12));
    for (int g = 0; g < int(doc.Groups().size()); ++g) {
        EditGroup(doc, g, [&](TIndividualInfo& record) {
            for (TFixableValue* setting : { &record.CentreSetting, &record.RangeCentreSetting, &record.SigmaSetting }) {
                setting->Fixed = rng() % 2;
                setting->Value = RandomReal(rng);
            }
        });
    }
}

} // namespace

// Save, load and save again gives the identical file, and the load gives back everything stored.
TEST(DocumentFileRoundTrip, GeneratedDocumentsSurviveSaveAndLoad)
{
    std::mt19937 rng(20261208);
    for (int i = 0; i < 300; ++i) {
        SCOPED_TRACE(i);
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        Generate(doc, rng);
        const QByteArray first = SavedBytes(doc);
        ASSERT_TRUE(first.endsWith("\r\n"));
        EXPECT_EQ(first.count("\r\n"), first.count('\n'));
        EXPECT_EQ(first.count("\r\n"), first.count('\r'));

        for (const char* lineEnd : { "\r\n", "\n", "\r" }) {
            QByteArray bytes = first;
            bytes.replace("\r\n", lineEnd);
            RecordingMessenger readerMessenger;
            MeasurementDocument loaded(readerMessenger);
            ASSERT_TRUE(LoadDocumentFromBytes(loaded, bytes, QStringLiteral("x.mrd")));
            EXPECT_FALSE(readerMessenger.messages.contains(LoadErrorText()));
            ExpectConsistent(loaded);
            ExpectSameStoredContent(loaded, doc);
            EXPECT_EQ(SavedBytes(loaded), first);
        }
    }
}

// In the computed state the compute writes into separator rows and appends a closing row; the
// file still holds the editing-state texts.
TEST(DocumentFileRoundTrip, ComputedStateSavesTheEditingTexts)
{
    const std::vector<QStringList> rows = ReadReferenceCsv(QStringLiteral("qcc_viscosity.csv"));
    ASSERT_EQ(rows.size(), 35u);
    for (const int subgroupSize : { 0, 5 }) {
        SCOPED_TRACE(subgroupSize);
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        std::vector<std::vector<QStringList>> groups(2);
        for (size_t i = 0; i < rows.size(); ++i) {
            QStringList values;
            for (int c = 0; c < std::max(1, subgroupSize); ++c)
                values.append(rows[(i + size_t(c) * 7) % rows.size()].front());
            groups[i < 20 ? 0 : 1].push_back(values);
        }
        BuildDocument(doc, subgroupSize, groups);
        doc.RecomputeDisplayPrecision();
        const QByteArray editing = SavedBytes(doc);
        ASSERT_TRUE(RunComputeCommand(doc)) << messenger.messages.join(u'\n').toStdString();
        ASSERT_TRUE(doc.IsComputed());
        EXPECT_EQ(SavedBytes(doc), editing);
    }
}
