#include "common/DocumentFileTestSupport.h"

#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "compute/ComputeDriver.h"
#include "model/DocumentFile.h"
#include "model/GroupRecord.h"

#include <QDate>
#include <QFile>
#include <cmath>
#include <functional>

// The example documents delivered in data/ besides the piston rings, built here from the reference
// data sets with the program's own writer. To refresh them on purpose, run this test with
// MERIDAN_REFRESH_EXAMPLES=1 and commit the files it writes.

namespace {

QString DataPath(const QString& name)
{
    return QStringLiteral(MERIDAN_SOURCE_DIR "/data/") + name;
}

// Analysts here type decimal commas.
std::vector<QStringList> WithCommas(std::vector<QStringList> rows)
{
    for (QStringList& row : rows) {
        for (QString& value : row)
            value.replace(u'.', u',');
    }
    return rows;
}

void SetDates(MeasurementDocument& doc, QDate first, int step)
{
    int day = 0;
    for (int row = 1; row < doc.RowCount(); ++row) {
        if (doc.IsSeparatorRow(row))
            continue;
        doc.SetDateText(row, first.addDays(day).toString(QStringLiteral("dd.MM.yyyy")));
        day += step;
    }
}

void SetHeader(MeasurementDocument& doc, HeaderField field, const QString& text)
{
    doc.SetHeaderPresent(field, true);
    doc.SetHeaderText(field, text);
}

double Rounded(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

// Primer paint viscosity: the 20 trial batches and the 15 later ones as two groups; the later
// group is held to the trial's centre line and sigma, as the analyst fixes them after a trial.
void BuildViscosity(MeasurementDocument& doc)
{
    const std::vector<QStringList> rows = WithCommas(ReadReferenceCsv(QStringLiteral("qcc_viscosity.csv")));
    ASSERT_EQ(rows.size(), 35u);
    BuildDocument(doc, 0, { { rows.begin(), rows.begin() + 20 }, { rows.begin() + 20, rows.end() } });
    SetDates(doc, QDate(2025, 2, 3), 1);
    doc.SetFillDate(QStringLiteral("10.03.2025"));
    doc.SetTableName(QStringLiteral("В'язкість ґрунтувальної фарби"));
    SetHeader(doc, HeaderField::Operator, QStringLiteral("Бондаренко Н. В."));
    SetHeader(doc, HeaderField::MeasuredParameter, QStringLiteral("Динамічна в'язкість"));
    SetHeader(doc, HeaderField::Sample, QStringLiteral("Ґрунтувальна фарба для літаків, одна проба від партії"));
    SetHeader(doc, HeaderField::MeasurementMethod, QStringLiteral("Ротаційна віскозиметрія, 25 °C"));
    SetHeader(doc, HeaderField::Instrument, QStringLiteral("Ротаційний віскозиметр"));
    doc.SetAdditionalInfoPresent(true);
    doc.SetAdditionalInfo({ QStringLiteral("Партії 1-20 - пробні, за ними встановлено межі; партії 21-35 - наступні."),
        QStringLiteral("Дані: Montgomery D. C. Introduction to Statistical Quality Control, 2005, с. 232-235.") });
    doc.SetUnits(QStringLiteral("мПа·с"));
    doc.RecomputeDisplayPrecision();

    ASSERT_TRUE(RunComputeCommand(doc));
    const TIndividualInfo& trial = doc.Groups()[0];
    const TFixableValue centre { true, Rounded(trial.CentreSetting.Value, 2) };
    // The sigma the trial's limits stand on, so the later batches are judged by the trial's limits.
    const double trialSigma = (trial.Lines[SlotCentre].Upper - trial.Lines[SlotCentre].Centre) / 3.0;
    const TFixableValue sigma { true, Rounded(trialSigma, 3) };
    EditGroup(doc, 1, [&](TIndividualInfo& record) { record.SetIndividualSettings(centre, sigma, TFixableValue {}); });
    doc.InvalidateResults();
}

// Antifreeze water content: one series of 34 batches.
void BuildAntifreeze(MeasurementDocument& doc)
{
    const std::vector<QStringList> rows = WithCommas(ReadReferenceCsv(QStringLiteral("qcc_antifreeze.csv")));
    ASSERT_EQ(rows.size(), 34u);
    BuildDocument(doc, 0, { rows });
    SetDates(doc, QDate(2025, 9, 1), 2);
    doc.SetFillDate(QStringLiteral("10.11.2025"));
    doc.SetTableName(QStringLiteral("Вміст води в антифризі"));
    SetHeader(doc, HeaderField::Operator, QStringLiteral("Шевчук І. М."));
    SetHeader(doc, HeaderField::MeasuredParameter, QStringLiteral("Вміст води"));
    SetHeader(doc, HeaderField::Sample, QStringLiteral("Антифриз, проба від кожної партії"));
    SetHeader(doc, HeaderField::MeasurementMethod, QStringLiteral("Кулонометричне титрування за Фішером"));
    doc.SetAdditionalInfoPresent(true);
    doc.SetAdditionalInfo({ QStringLiteral("34 послідовні партії."),
        QStringLiteral("Дані: Wetherill G. B., Brown D. W. Statistical Process Control, 1991, с. 120.") });
    doc.SetUnits(QStringLiteral("ppm"));
    doc.RecomputeDisplayPrecision();
}

// Fat in sour cream: three parallel determinations per batch; the centre of the means is fixed at
// the declared 20 %, the limits follow the measured spread.
void BuildSourCream(MeasurementDocument& doc)
{
    const std::vector<QStringList> rows = WithCommas(ReadReferenceCsv(QStringLiteral("syn10_sub_k3_m25_outlier.csv")));
    ASSERT_EQ(rows.size(), 25u);
    BuildDocument(doc, 3, { rows });
    SetDates(doc, QDate(2025, 4, 1), 1);
    doc.SetFillDate(QStringLiteral("28.04.2025"));
    doc.SetTableName(QStringLiteral("Масова частка жиру в сметані 20 %"));
    SetHeader(doc, HeaderField::Operator, QStringLiteral("Ткаченко Л. С."));
    SetHeader(doc, HeaderField::MeasuredParameter, QStringLiteral("Масова частка жиру"));
    SetHeader(doc, HeaderField::Sample, QStringLiteral("Сметана 20 %, три паралельні визначення від партії"));
    SetHeader(doc, HeaderField::SamplePreparation, QStringLiteral("Проба нагріта до 40 °C і перемішана"));
    SetHeader(doc, HeaderField::MeasurementMethod, QStringLiteral("Кислотний метод Гербера"));
    SetHeader(doc, HeaderField::Instrument, QStringLiteral("Жиромір, центрифуга"));
    doc.SetAdditionalInfoPresent(true);
    doc.SetAdditionalInfo(
        { QStringLiteral("Навчальний набір: змодельовані дані, партія 9 - з підвищеним вмістом жиру."),
            QStringLiteral("Центральну лінію карти середніх зафіксовано на заявлених 20 %.") });
    doc.SetUnits(QStringLiteral("%"));
    doc.RecomputeDisplayPrecision();
    EditGroup(doc, 0, [](TIndividualInfo& group) {
        group.SetSubgroupSettings(TFixableValue { true, 20.0 }, TFixableValue {}, TFixableValue {}, TFixableValue {},
            TFixableValue {}, TFixableValue {}, TFixableValue {}, true);
    });
}

void ExpectDelivered(const QString& name, const std::function<void(MeasurementDocument&)>& build)
{
    SCOPED_TRACE(name.toStdString());
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    build(doc);
    if (::testing::Test::HasFatalFailure())
        return;
    doc.ClearChanged();
    if (qEnvironmentVariableIsSet("MERIDAN_REFRESH_EXAMPLES")) {
        ASSERT_TRUE(SaveDocument(doc, DataPath(name)));
    }
    QFile file(DataPath(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), SavedBytes(doc));

    RecordingMessenger readerMessenger;
    MeasurementDocument loaded(readerMessenger);
    ASSERT_TRUE(LoadDocument(loaded, DataPath(name)));
    ExpectConsistent(loaded);
    ExpectSameStoredContent(loaded, doc);
    EXPECT_TRUE(RunComputeCommand(loaded)) << readerMessenger.messages.join(u'\n').toStdString();
}

} // namespace

TEST(DeliveredExamples, DocumentsAreCurrent)
{
    ExpectDelivered(QStringLiteral("viscosity.mrd"), BuildViscosity);
    ExpectDelivered(QStringLiteral("antifreeze.mrd"), BuildAntifreeze);
    ExpectDelivered(QStringLiteral("sourcream.mrd"), BuildSourCream);
}

TEST(DeliveredExamples, FixedSettingsSurviveTheFile)
{
    RecordingMessenger messenger;
    MeasurementDocument viscosity(messenger);
    ASSERT_TRUE(LoadDocument(viscosity, DataPath(QStringLiteral("viscosity.mrd"))));
    ASSERT_EQ(viscosity.GroupCount(), 2);
    EXPECT_FALSE(viscosity.Groups()[0].CentreSetting.Fixed);
    EXPECT_TRUE(viscosity.Groups()[1].CentreSetting.Fixed);
    EXPECT_TRUE(viscosity.Groups()[1].SigmaSetting.Fixed);

    MeasurementDocument cream(messenger);
    ASSERT_TRUE(LoadDocument(cream, DataPath(QStringLiteral("sourcream.mrd"))));
    EXPECT_TRUE(cream.Groups()[0].CentreSetting.Fixed);
    EXPECT_EQ(cream.Groups()[0].CentreSetting.Value, 20.0);
}
