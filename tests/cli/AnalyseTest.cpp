#include "CliTestSupport.h"
#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "compute/ComputeDriver.h"
#include "model/DocumentFile.h"
#include "model/MeasurementDocument.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <set>

namespace {

CliResult RunAnalyse(const QStringList& args)
{
    return RunMeridanCli(QStringList { QStringLiteral("analyse") } + args);
}

std::vector<QStringList> Column(std::initializer_list<const char*> texts)
{
    std::vector<QStringList> rows;
    for (const char* t : texts)
        rows.push_back({ QString::fromUtf8(t) });
    return rows;
}

std::set<QString> Keys(const QJsonObject& object)
{
    const QStringList keys = object.keys();
    return { keys.begin(), keys.end() };
}

// Saves a document built from groups of rows; the command reads it back as a user's file.
QString Save(const QTemporaryDir& dir, const QString& name, int k, const std::vector<std::vector<QStringList>>& groups,
    void (*adjust)(MeasurementDocument&) = nullptr)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, k, groups);
    if (adjust)
        adjust(doc);
    const QString path = dir.filePath(name);
    EXPECT_TRUE(SaveDocument(doc, path)) << messenger.messages.join(QLatin1Char('\n')).toStdString();
    return path;
}

const QString invalidData = QStringLiteral("Некоректні дані! Неможливо провести обчислення");

} // namespace

TEST(AnalyseCommand, JsonOfIndividualValuesMatchesTheCompute)
{
    QTemporaryDir dir;
    const auto first = Column({ "10", "11", "10", "11", "10", "11", "10", "11", "10", "11" });
    auto second = Column({ "10", "11", "10", "11", "50", "11", "10", "11", "10", "11", "10", "11" });
    const auto fixCentre = [](MeasurementDocument& doc) {
        EditGroup(doc, 0, [](TIndividualInfo& record) { record.CentreSetting = { true, 10.25 }; });
    };
    const QString path = Save(dir, QStringLiteral("ind.mrd"), 0, { first, second }, fixCentre);
    const CliResult run = RunAnalyse({ path, QStringLiteral("--json") });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    // The same document computed here; the command must report it number for number.
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    ASSERT_TRUE(LoadDocument(doc, path));
    ASSERT_TRUE(RunComputeCommand(doc));

    const QJsonObject& j = run.json;
    EXPECT_EQ(Keys(j),
        (std::set<QString> { "mode", "subgroup_size", "point_count", "display_precision", "ok", "error", "groups" }));
    EXPECT_EQ(j["mode"].toString(), QStringLiteral("individual"));
    EXPECT_EQ(j["subgroup_size"].toInt(), 0);
    EXPECT_EQ(j["point_count"].toInt(), 22);
    EXPECT_EQ(j["display_precision"].toInt(), 1);
    EXPECT_TRUE(j["ok"].toBool());
    EXPECT_TRUE(j["error"].isNull());
    const QJsonArray groups = j["groups"].toArray();
    ASSERT_EQ(groups.size(), 2);
    for (int g = 0; g < 2; ++g) {
        SCOPED_TRACE(g);
        const QJsonObject group = groups[g].toObject();
        const TIndividualInfo& info = doc.Groups()[size_t(g)];
        EXPECT_EQ(Keys(group),
            (std::set<QString> { "first_point", "last_point", "counted_points", "grand_mean", "mean_deviation",
                "mean_range", "settings", "slots" }));
        EXPECT_EQ(group["first_point"].toInt(), g == 0 ? 1 : 11);
        EXPECT_EQ(group["last_point"].toInt(), g == 0 ? 10 : 22);
        EXPECT_EQ(group["counted_points"].toInt(), g == 0 ? 10 : 12);
        EXPECT_EQ(group["grand_mean"].toDouble(), info.GrandMean);
        EXPECT_EQ(group["mean_deviation"].toDouble(), info.MeanDeviation);
        EXPECT_EQ(group["mean_range"].toDouble(), 0);
        const QJsonObject settings = group["settings"].toObject();
        EXPECT_EQ(Keys(settings),
            (std::set<QString> { "centre", "sigma", "deviation_centre", "rel_deviation_centre", "median_centre",
                "range_centre", "rel_range_centre", "use_sample_deviation" }));
        EXPECT_EQ(settings["centre"].toObject()["fixed"].toBool(), g == 0);
        EXPECT_EQ(settings["centre"].toObject()["value"].toDouble(), info.CentreSetting.Value);
        EXPECT_EQ(settings["sigma"].toObject()["value"].toDouble(), info.SigmaSetting.Value);
        const QJsonArray slots = group["slots"].toArray();
        ASSERT_EQ(slots.size(), 2);
        for (int i = 0; i < 2; ++i) {
            const QJsonObject slot = slots[i].toObject();
            const int s = i == 0 ? SlotCentre : SlotDeviation;
            EXPECT_EQ(slot["slot"].toInt(), s);
            EXPECT_EQ(slot["centre"].toDouble(), info.Lines[size_t(s)].Centre);
            EXPECT_EQ(slot["lower"].toDouble(), info.Lines[size_t(s)].Lower);
            EXPECT_EQ(slot["upper"].toDouble(), info.Lines[size_t(s)].Upper);
            EXPECT_EQ(slot["series"].toArray().size(), qsizetype(info.Series(s).size()));
            const ErrorArray& westgard = info.Hits[size_t(s)].Westgard;
            const QJsonArray hits = slot["westgard"].toArray();
            ASSERT_EQ(hits.size(), qsizetype(westgard.size()));
            for (size_t h = 0; h < westgard.size(); ++h) {
                const QJsonArray hit = hits[qsizetype(h)].toArray();
                EXPECT_EQ(hit[0].toInt(), westgard[h].Criterion);
                EXPECT_EQ(hit[1].toInt(), westgard[h].FirstPoint);
                EXPECT_EQ(hit[2].toInt(), westgard[h].LastPoint);
            }
            EXPECT_EQ(slot["iso"].toArray().size(), qsizetype(info.Hits[size_t(s)].Iso.size()));
        }
    }
    // The outlier is point 15 of the document: a critical hit on the values chart of group 2.
    const QJsonObject values = groups[1].toObject()["slots"].toArray()[0].toObject();
    EXPECT_TRUE(values["westgard"].toArray().contains(QJsonArray { 2, 15, 15 }));
    EXPECT_TRUE(values["westgard_list"].toString().contains(QLatin1Char('2')));
    EXPECT_EQ(values["westgard_verdict"].toString(),
        QStringLiteral("Сигнал про критичну невідповідність! Застосуйте коригувальні дії!"));
}

// The points kept out of the limits travel in the file; counted_points tells how many fed each
// group's limits, and a group left with too few stops the compute with its own message.
TEST(AnalyseCommand, CountedPointsLeaveTheExcludedOut)
{
    QTemporaryDir dir;
    const auto excludeOutlier = [](MeasurementDocument& doc) {
        PointNote note;
        note.ExcludeReason = QStringLiteral("збій дозатора");
        doc.SetPointNote(4, note); // the outlier 40 of the first group
        doc.SetPointNote(16, note); // points 15 and 16, in the second group (rows 13 onwards)
        doc.SetPointNote(17, note);
    };
    const auto first = Column({ "10", "11", "10", "40", "11", "10", "11", "10", "11", "10", "11" });
    const auto second = Column({ "10", "11", "10", "11", "50", "11", "10" });
    const QString path = Save(dir, QStringLiteral("excluded.mrd"), 0, { first, second }, excludeOutlier);
    const auto tooFew = [](MeasurementDocument& doc) {
        PointNote note;
        note.ExcludeReason = QStringLiteral("повтор");
        doc.SetPointNote(2, note);
    };
    const QString failing = Save(dir, QStringLiteral("too-few.mrd"), 0, { Column({ "1", "2", "3" }) }, tooFew);
    {
        RecordingMessenger messenger;
        MeasurementDocument stored(messenger);
        ASSERT_TRUE(LoadDocument(stored, path));
        if (stored.ExcludedPointCount() == 0)
            GTEST_SKIP() << "this build's files keep no exclusions";
    }

    const CliResult run = RunAnalyse({ path, QStringLiteral("--json") });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray groups = run.json["groups"].toArray();
    ASSERT_EQ(groups.size(), 2);
    EXPECT_EQ(groups[0].toObject()["counted_points"].toInt(), 10);
    EXPECT_EQ(groups[1].toObject()["counted_points"].toInt(), 5);
    EXPECT_EQ(groups[0].toObject()["grand_mean"].toDouble(), 10.5);
    // Still on the chart and still judged.
    const QJsonObject values = groups[0].toObject()["slots"].toArray()[0].toObject();
    EXPECT_EQ(values["series"].toArray().size(), 11);
    EXPECT_EQ(values["series"].toArray()[3].toDouble(), 40);
    EXPECT_FALSE(values["westgard"].toArray().isEmpty());

    const CliResult bad = RunAnalyse({ failing, QStringLiteral("--json") });
    EXPECT_EQ(bad.exitCode, 1);
    const QString message = QStringLiteral("Група точок 1-3: замало точок для обчислення меж (виключено 1).");
    EXPECT_EQ(bad.json["error"].toString(), message);
    ASSERT_EQ(bad.json["groups"].toArray().size(), 1);
    EXPECT_EQ(bad.json["groups"].toArray()[0].toObject()["counted_points"].toInt(), 2);
}

TEST(AnalyseCommand, SubgroupsAboveTenHaveNoMedianChart)
{
    QTemporaryDir dir;
    QStringList a;
    QStringList b;
    for (int i = 0; i < 11; ++i) {
        a << QString::number(20 + i);
        b << QString::number(21 + i % 3);
    }
    const CliResult run
        = RunAnalyse({ Save(dir, QStringLiteral("k11.mrd"), 11, { { a, b, a } }), QStringLiteral("--json") });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.json["mode"].toString(), QStringLiteral("subgroup"));
    EXPECT_EQ(run.json["subgroup_size"].toInt(), 11);
    QList<int> slots;
    for (const QJsonValue& slot : run.json["groups"].toArray()[0].toObject()["slots"].toArray())
        slots << slot.toObject()["slot"].toInt();
    EXPECT_EQ(slots, (QList<int> { 0, 2, 3, 4, 5 }));
    EXPECT_GT(run.json["groups"].toArray()[0].toObject()["mean_range"].toDouble(), 0);
}

TEST(AnalyseCommand, Failures)
{
    QTemporaryDir dir;
    const QString failing
        = Save(dir, QStringLiteral("bad.mrd"), 0, { Column({ "1", "2" }), Column({ "3", "x" }), Column({ "5", "6" }) });
    const QString empty = Save(dir, QStringLiteral("empty.mrd"), 0, {});

    const CliResult bad = RunAnalyse({ failing, QStringLiteral("--json") });
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.contains(invalidData));
    EXPECT_FALSE(bad.json["ok"].toBool());
    EXPECT_EQ(bad.json["error"].toString(), invalidData);
    const QJsonArray walked = bad.json["groups"].toArray();
    ASSERT_EQ(walked.size(), 2);
    EXPECT_EQ(walked[0].toObject()["grand_mean"].toDouble(), 1.5);
    EXPECT_EQ(walked[1].toObject()["grand_mean"].toDouble(), 0);
    EXPECT_EQ(walked[1].toObject()["first_point"].toInt(), 3);
    EXPECT_FALSE(walked[0].toObject().contains(QStringLiteral("slots")));
    EXPECT_FALSE(walked[1].toObject().contains(QStringLiteral("slots")));

    const CliResult none = RunAnalyse({ empty, QStringLiteral("--json") });
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_FALSE(none.json["ok"].toBool());
    EXPECT_TRUE(none.json["error"].isNull());
    EXPECT_TRUE(none.json["groups"].toArray().isEmpty());

    const CliResult missing = RunAnalyse({ dir.filePath(QStringLiteral("absent.mrd")), QStringLiteral("--json") });
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_FALSE(missing.json["ok"].toBool());
    EXPECT_TRUE(missing.json["error"].isString());
    EXPECT_FALSE(missing.json["error"].toString().isEmpty());
    EXPECT_TRUE(missing.json["groups"].toArray().isEmpty());

    EXPECT_EQ(RunAnalyse({}).exitCode, 2);
    EXPECT_EQ(RunAnalyse({ failing, QStringLiteral("--xml") }).exitCode, 2);
    EXPECT_EQ(RunAnalyse({ failing, empty }).exitCode, 2);
}

TEST(AnalyseCommand, ReadableSummary)
{
    QTemporaryDir dir;
    const CliResult run = RunAnalyse({ Save(dir, QStringLiteral("ok.mrd"), 0, { Column({ "10", "12", "11" }) }) });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.Text().contains(QStringLiteral("Група точок 1-3")));
    EXPECT_TRUE(run.Text().contains(QStringLiteral("Карта індивідуальних значень")));
    EXPECT_TRUE(run.Text().contains(QStringLiteral("Карта ковзних розмахів")));
    EXPECT_TRUE(run.Text().contains(QStringLiteral("Не виконуються умови жодного критерію")));
    EXPECT_TRUE(run.Text().contains(
        QStringLiteral("Випробування знаходяться у статистично керованому стані. Можна продовжувати роботу.")));
}
