#include "common/DocumentFileTestSupport.h"

#include "common/TestSupport.h"
#include "model/DocumentFile.h"
#include "model/DocumentLines.h"

#include <QDir>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

QByteArray FileBytes(const QStringList& lines, const char* lineEnd)
{
    QString text;
    for (const QString& line : lines)
        text += line + QLatin1String(lineEnd);
    QStringEncoder encoder("windows-1251");
    QByteArray bytes = encoder.encode(text);
    EXPECT_FALSE(encoder.hasError());
    return bytes;
}

QStringList FileLines(const QByteArray& bytes)
{
    QStringDecoder decoder("windows-1251");
    const QString text = decoder.decode(bytes);
    DocumentLines lines(text);
    QStringList out;
    while (const auto line = lines.Next())
        out.append(line->toString());
    return out;
}

QByteArray SavedBytes(const MeasurementDocument& doc)
{
    const std::optional<QByteArray> bytes = SaveDocumentToBytes(doc);
    EXPECT_TRUE(bytes.has_value());
    return bytes.value_or(QByteArray());
}

QByteArray ContentBytes(const MeasurementDocument& doc)
{
    // A copy of the content holds no log: it is no part of what an undo restores.
    RecordingMessenger messenger;
    MeasurementDocument copy(messenger);
    const std::shared_ptr<DocumentContent> content = doc.CopyContent();
    copy.SwapContent(*content);
    copy.SetUnknownExtensionLines(doc.UnknownExtensionLines());
    return SavedBytes(copy);
}

void ExpectConsistent(const MeasurementDocument& doc)
{
    const std::vector<bool>& flags = doc.SeparatorFlags();
    ASSERT_FALSE(flags.empty());
    EXPECT_TRUE(flags.back());
    const int extra = doc.IsComputed() ? 1 : 0;
    EXPECT_EQ(doc.RowCount() - 1 - extra, int(flags.size()) - 1);
    const int separators = int(std::count(flags.begin(), flags.end(), true)) - 1;
    EXPECT_EQ(doc.PointCount(), int(flags.size()) - 1 - separators);
    EXPECT_EQ(doc.GroupCount(), separators + 1);
    EXPECT_EQ(doc.Groups().size(), size_t(separators + 1));
    EXPECT_EQ(doc.DeriveGroups().size(), doc.PointCount() > 0 ? size_t(separators + 1) : 0u);
    if (flags.size() > 1) {
        EXPECT_FALSE(flags.front());
    }
    for (size_t i = 0; i + 1 < flags.size(); ++i)
        EXPECT_FALSE(flags[i] && flags[i + 1]) << "adjacent separators at " << i;
    EXPECT_TRUE(doc.HasDocument());
    if (doc.IndividualMode()) {
        EXPECT_EQ(doc.SubgroupSize(), 0);
        EXPECT_EQ(doc.ValueColumnCount(), 1);
    } else {
        EXPECT_GE(doc.SubgroupSize(), 2);
        EXPECT_LE(doc.SubgroupSize(), 25);
        EXPECT_EQ(doc.ValueColumnCount(), doc.SubgroupSize());
    }
    for (const TIndividualInfo& record : doc.Groups())
        EXPECT_EQ(record.Individual, doc.IndividualMode());
}

namespace {

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

void ExpectSameStoredContent(const MeasurementDocument& actual, const MeasurementDocument& expected)
{
    EXPECT_EQ(actual.IndividualMode(), expected.IndividualMode());
    EXPECT_EQ(actual.PointCount(), expected.PointCount());
    EXPECT_EQ(actual.SubgroupSize(), expected.SubgroupSize());
    EXPECT_EQ(actual.SeparatorFlags(), expected.SeparatorFlags());
    EXPECT_EQ(actual.FillDate(), expected.FillDate());
    EXPECT_EQ(actual.TableName(), expected.TableName());
    for (int f = 0; f < HeaderFieldCount; ++f) {
        EXPECT_EQ(actual.Header(HeaderField(f)).Present, expected.Header(HeaderField(f)).Present) << f;
        EXPECT_EQ(actual.Header(HeaderField(f)).Text, expected.Header(HeaderField(f)).Text) << f;
    }
    EXPECT_EQ(actual.AdditionalInfoPresent(), expected.AdditionalInfoPresent());
    EXPECT_EQ(actual.AdditionalInfo(), expected.AdditionalInfo());
    EXPECT_EQ(actual.Units(), expected.Units());
    for (int item = 0; item < ChartChoiceCount; ++item) {
        if (expected.IndividualMode() && (item == N21 || item == N41 || item == N51 || item == N61))
            continue; // not stored in individual-values mode
        EXPECT_EQ(actual.ChartSelection(ChartChoice(item)), expected.ChartSelection(ChartChoice(item))) << item;
    }
    EXPECT_EQ(actual.DisplayPrecision(), expected.DisplayPrecision());
    const int rows = std::min(actual.TableRowCount(), expected.TableRowCount());
    for (int row = 1; row <= rows; ++row) {
        EXPECT_EQ(actual.DateText(row), expected.DateText(row)) << row;
        for (int c = 0; c < std::min(actual.ValueColumnCount(), expected.ValueColumnCount()); ++c)
            EXPECT_EQ(actual.ValueText(row, c), expected.ValueText(row, c)) << row << ", " << c;
    }
    ASSERT_EQ(actual.Groups().size(), expected.Groups().size());
    for (size_t g = 0; g < actual.Groups().size(); ++g) {
        const TIndividualInfo& a = actual.Groups()[g];
        const TIndividualInfo& e = expected.Groups()[g];
        const std::pair<const TFixableValue*, const TFixableValue*> settings[]
            = { { &a.CentreSetting, &e.CentreSetting }, { &a.RangeCentreSetting, &e.RangeCentreSetting },
                  { &a.SigmaSetting, &e.SigmaSetting } };
        for (const auto& [as, es] : settings) {
            EXPECT_EQ(as->Fixed, es->Fixed) << "group " << g;
            if (es->Fixed) {
                EXPECT_TRUE(SameBits(as->Value, es->Value))
                    << "group " << g << ": " << as->Value << " vs " << es->Value;
            }
        }
    }
}

QString TemporaryFolder()
{
    // One folder per test program run, removed at exit.
    static std::unique_ptr<QTemporaryDir> root = std::make_unique<QTemporaryDir>();
    static int counter = 0;
    const QString path = root->path() + QStringLiteral("/t%1").arg(++counter);
    QDir().mkpath(path);
    return path;
}
