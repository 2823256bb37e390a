#include "reports/Validation.h"
#include "common/TestSupport.h"
#include "paint/DrawingState.h"
#include "reports/PreparedReport.h"
#include "reports/ValidationReport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace validation;

namespace {

QString DeliveredPack()
{
    return QStringLiteral(MERIDAN_SOURCE_DIR "/data/validation");
}

ProgramIdentity TestIdentity()
{
    return { QStringLiteral("9.9"), QStringLiteral("abc123"), QStringLiteral("2026-01-01T00:00:00"),
        QStringLiteral("Test OS"), QStringLiteral("00ff"), QStringLiteral("2026-01-02T00:00:00") };
}

QJsonObject Number(const char* what, int slot, const char* line, double published, int decimals, double tolerance)
{
    return QJsonObject { { "what", what }, { "slot", slot }, { "line", line }, { "group", 1 },
        { "published", published }, { "decimals", decimals }, { "comparable", true }, { "tolerance", tolerance },
        { "tolerance_basis", "half a unit" } };
}

// Individual values 10, 12, 11: CL 11, MR-bar 1.5, UCL 11 + 3/1.128 * 1.5 = 14.98936..., MR UCL 4.9005.
QJsonObject SmallCase(const QString& id)
{
    QJsonArray published { Number("I chart CL, group 1", 0, "centre", 11, 0, 0.5),
        Number("I chart UCL, group 1", 0, "upper", 14.989, 3, 0.0005),
        Number("MR chart UCL, group 1", 2, "upper", 4.9005, 4, 0.00005),
        // Another method's number, far from ours: shown, never counted.
        QJsonObject { { "what", "I chart UCL, std.dev=SD" }, { "slot", 0 }, { "line", "upper" }, { "group", 1 },
            { "published", 99.0 }, { "printed", "99" }, { "decimals", 0 }, { "comparable", false },
            { "reason", "another estimator" } } };
    published.append(QJsonObject { { "what", "moving ranges, group 1" }, { "slot", 2 }, { "line", QJsonValue() },
        { "group", 1 }, { "points", QJsonArray { 1, 2 } }, { "values", QJsonArray { 2, 1 } }, { "decimals", 0 },
        { "comparable", true }, { "tolerance", 0.5 } });
    return QJsonObject { { "id", id }, { "title", "Three values" }, { "file", "small.csv" }, { "kind", "individual" },
        { "k", 1 }, { "source", QJsonObject { { "document", "A test" }, { "location", "here" } } },
        { "program_setup",
            QJsonObject { { "groups", QJsonArray { QJsonObject { { "rows", QJsonArray { 1, 3 } } } } } } },
        { "slots", QJsonObject { { "I", 0 }, { "MR", 2 } } }, { "published", published },
        { "rule_hits",
            QJsonArray { QJsonObject { { "what", "beyond the limits" }, { "slot", 0 }, { "points", QJsonArray {} },
                { "program_criteria", QJsonObject { { "westgard", 2 }, { "iso", 1 } } },
                { "counts_as_validation", true } } } },
        { "computed_here", QJsonObject { { "not_published", true }, { "a number of ours", 12345 } } } };
}

// A pack folder with the given cases, all on the three values.
class SmallPack {
public:
    explicit SmallPack(const QJsonArray& cases)
    {
        QFile csv(m_dir.filePath(QStringLiteral("small.csv")));
        EXPECT_TRUE(csv.open(QIODevice::WriteOnly));
        csv.write("value\n10\n12\n11\n");
        csv.close();
        QFile json(m_dir.filePath(CasesFileName));
        EXPECT_TRUE(json.open(QIODevice::WriteOnly));
        json.write(QJsonDocument(QJsonObject { { "format", 1 }, { "cases", cases } }).toJson());
    }
    QString Folder() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

const Check* CheckNamed(const CaseResult& c, const QString& what)
{
    for (const Check& check : c.Checks) {
        if (check.What == what)
            return &check;
    }
    return nullptr;
}

} // namespace

// The comparison allows the tolerance and the binary representation of decimal numbers, nothing more.
TEST(Validation, WithinToleranceTable)
{
    struct Row {
        const char* name;
        double computed;
        double published;
        double tolerance;
        bool within;
    };
    const Row rows[] = {
        { "equal", 74.0143, 74.0143, 5e-5, true },
        { "inside", 74.01434, 74.0143, 5.5e-5, true },
        { "at the edge", 0.25, 0.5, 0.25, true },
        { "just beyond", 74.01436, 74.0143, 5.5e-5, false },
        { "zero tolerance, exact zero", 0.0, 0.0, 0.0, true },
        { "zero tolerance, not zero", 1e-9, 0.0, 0.0, false },
        { "representation only", 0.1 + 0.2, 0.3, 0.0, true },
        { "below", 73.98790, 73.98805, 9.6e-6, false },
        { "not a number", std::nan(""), 1.0, 1.0, false },
        { "negative tolerance", 1.0, 1.0, -1.0, false },
    };
    for (const Row& row : rows)
        EXPECT_EQ(WithinTolerance(row.computed, row.published, row.tolerance), row.within) << row.name;
}

TEST(Validation, SmallCaseAgreesAndShownNumbersNeverCount)
{
    SmallPack folder(QJsonArray { SmallCase(QStringLiteral("small")) });
    const ValidationPack pack = LoadValidationPack(folder.Folder());
    ASSERT_TRUE(pack.Error.isEmpty()) << pack.Error.toStdString();
    ASSERT_EQ(pack.Cases.size(), 1u);
    PackResult result = RunPack(pack, TestIdentity());
    ASSERT_EQ(result.Cases.size(), 1u);
    const CaseResult& c = result.Cases[0];
    EXPECT_TRUE(c.Errors.isEmpty()) << c.Errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(c.Ok);
    EXPECT_TRUE(result.Ok);
    // Three numbers, two moving ranges, and the rule hits of both families.
    ASSERT_EQ(c.Checks.size(), 7u);
    const Check* ucl = CheckNamed(c, QStringLiteral("I chart UCL, group 1"));
    ASSERT_TRUE(ucl);
    EXPECT_NEAR(ucl->Computed, 11 + 3 / 1.128 * 1.5, 1e-12);
    EXPECT_EQ(ucl->Decimals, 3);
    const Check* mr = CheckNamed(c, QStringLiteral("moving ranges, group 1, point 2"));
    ASSERT_TRUE(mr);
    EXPECT_EQ(mr->Computed, 1.0);
    EXPECT_TRUE(CheckNamed(c, QStringLiteral("beyond the limits: Westgard rule 2, slot 0, points none")));
    EXPECT_TRUE(CheckNamed(c, QStringLiteral("beyond the limits: ISO 8258 test 1, slot 0, points none")));
    // The other method's 99 and our own number are shown, with the program's value beside the first.
    EXPECT_FALSE(CheckNamed(c, QStringLiteral("I chart UCL, std.dev=SD")));
    ASSERT_EQ(c.Shown.size(), 2u);
    EXPECT_EQ(c.Shown[0].What, QStringLiteral("I chart UCL, std.dev=SD"));
    ASSERT_TRUE(c.Shown[0].Computed);
    EXPECT_NEAR(*c.Shown[0].Computed, ucl->Computed, 0);
    EXPECT_TRUE(c.Shown[1].What.startsWith(QStringLiteral("a number of ours")));
}

TEST(Validation, OneAlteredNumberOrPointFailsItsCaseOnly)
{
    QJsonObject altered = SmallCase(QStringLiteral("altered"));
    QJsonArray published = altered[QLatin1String("published")].toArray();
    QJsonObject ucl = published[1].toObject();
    ucl[QLatin1String("published")] = 14.990; // one unit in the last digit off
    published[1] = ucl;
    altered[QLatin1String("published")] = published;
    QJsonObject hits = SmallCase(QStringLiteral("hits"));
    QJsonArray rules = hits[QLatin1String("rule_hits")].toArray();
    QJsonObject rule = rules[0].toObject();
    rule[QLatin1String("points")] = QJsonArray { 2 };
    rules[0] = rule;
    hits[QLatin1String("rule_hits")] = rules;

    SmallPack folder(QJsonArray { SmallCase(QStringLiteral("small")), altered, hits });
    const PackResult result = RunPack(LoadValidationPack(folder.Folder()), TestIdentity());
    ASSERT_EQ(result.Cases.size(), 3u);
    EXPECT_TRUE(result.Cases[0].Ok);
    EXPECT_FALSE(result.Cases[1].Ok);
    EXPECT_FALSE(result.Cases[2].Ok);
    EXPECT_FALSE(result.Ok);
    EXPECT_FALSE(CheckNamed(result.Cases[1], QStringLiteral("I chart UCL, group 1"))->Ok);
    EXPECT_EQ(std::count_if(
                  result.Cases[1].Checks.begin(), result.Cases[1].Checks.end(), [](const Check& k) { return !k.Ok; }),
        1);
    const Check* westgard
        = CheckNamed(result.Cases[2], QStringLiteral("beyond the limits: Westgard rule 2, slot 0, points 2"));
    ASSERT_TRUE(westgard);
    EXPECT_FALSE(westgard->Ok);
    EXPECT_EQ(westgard->ComputedText, QStringLiteral("none"));
    EXPECT_EQ(result.CheckCount(), 21);
    EXPECT_EQ(result.AgreeingCount(), 18);
}

TEST(Validation, ACaseWithoutComparableNumbersIsAnError)
{
    QJsonObject shownOnly = SmallCase(QStringLiteral("shown-only"));
    QJsonArray published;
    for (const QJsonValue& entry : shownOnly[QLatin1String("published")].toArray()) {
        QJsonObject o = entry.toObject();
        o[QLatin1String("comparable")] = false;
        published.append(o);
    }
    shownOnly[QLatin1String("published")] = published;
    // The rule hits still agree, but they are not published numbers.
    SmallPack folder(QJsonArray { shownOnly });
    const PackResult result = RunPack(LoadValidationPack(folder.Folder()), TestIdentity());
    ASSERT_EQ(result.Cases.size(), 1u);
    EXPECT_FALSE(result.Cases[0].Ok);
    EXPECT_FALSE(result.Ok);
    EXPECT_TRUE(
        result.Cases[0].Errors.join(QLatin1Char('\n')).contains(QStringLiteral("немає жодного опублікованого числа")));
    EXPECT_TRUE(PackSummary(result).contains(QStringLiteral("не збігається")));
}

TEST(Validation, BrokenPacksAreErrorsNotPasses)
{
    struct Row {
        const char* name;
        std::function<void(QJsonObject&)> change;
        const char* message;
    };
    const Row rows[] = {
        { "missing tolerance",
            [](QJsonObject& c) {
                QJsonArray p = c[QLatin1String("published")].toArray();
                QJsonObject e = p[0].toObject();
                e.remove(QLatin1String("tolerance"));
                p[0] = e;
                c[QLatin1String("published")] = p;
            },
            "не задано допуск" },
        { "slot of another mode",
            [](QJsonObject& c) {
                QJsonArray p = c[QLatin1String("published")].toArray();
                QJsonObject e = p[0].toObject();
                e[QLatin1String("slot")] = 4;
                p[0] = e;
                c[QLatin1String("published")] = p;
            },
            "карта 4 не будується" },
        { "rows beyond the file",
            [](QJsonObject& c) {
                c[QLatin1String("program_setup")]
                    = QJsonObject { { "groups", QJsonArray { QJsonObject { { "rows", QJsonArray { 1, 5 } } } } } };
            },
            "у файлі лише 3 рядків" },
        { "missing file", [](QJsonObject& c) { c[QLatin1String("file")] = "none.csv"; }, "none.csv" },
        { "unknown fixed setting",
            [](QJsonObject& c) {
                c[QLatin1String("program_setup")] = QJsonObject { { "groups",
                    QJsonArray { QJsonObject { { "rows", QJsonArray { 1, 1 } } },
                        QJsonObject { { "rows", QJsonArray { 2, 3 } },
                            { "fixed", QJsonObject { { "SigmaSetting", "sd of group 1" } } } } } } };
            },
            "незрозуміле задання" },
    };
    for (const Row& row : rows) {
        QJsonObject c = SmallCase(QStringLiteral("broken"));
        row.change(c);
        SmallPack folder(QJsonArray { c });
        const PackResult result = RunPack(LoadValidationPack(folder.Folder()), TestIdentity());
        ASSERT_EQ(result.Cases.size(), 1u) << row.name;
        EXPECT_FALSE(result.Ok) << row.name;
        EXPECT_TRUE(result.Cases[0].Errors.join(QLatin1Char('\n')).contains(QString::fromUtf8(row.message)))
            << row.name << ": " << result.Cases[0].Errors.join(QLatin1Char('\n')).toStdString();
    }
    QTemporaryDir empty;
    const PackResult none = RunPack(LoadValidationPack(empty.path()), TestIdentity());
    EXPECT_FALSE(none.Ok);
    EXPECT_FALSE(none.Error.isEmpty());
}

// Scripts read this form; its keys keep their order and its numbers read back exactly.
TEST(Validation, JsonShapeAndKeyOrder)
{
    SmallPack folder(QJsonArray { SmallCase(QStringLiteral("small")) });
    const PackResult result = RunPack(LoadValidationPack(folder.Folder()), TestIdentity());
    const QString text = PackJson(result);
    EXPECT_TRUE(text.endsWith(QLatin1Char('\n')));
    QJsonParseError error {};
    const QJsonDocument json = QJsonDocument::fromJson(text.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonObject root = json.object();
    EXPECT_EQ(root.keys().size(), 5);
    EXPECT_TRUE(root[QLatin1String("ok")].toBool());
    EXPECT_EQ(root[QLatin1String("version")].toString(), QStringLiteral("9.9"));
    EXPECT_EQ(root[QLatin1String("commit")].toString(), QStringLiteral("abc123"));
    EXPECT_EQ(root[QLatin1String("binary_sha256")].toString(), QStringLiteral("00ff"));
    const QJsonArray cases = root[QLatin1String("cases")].toArray();
    ASSERT_EQ(cases.size(), 1);
    const QJsonObject c = cases[0].toObject();
    EXPECT_EQ(c.keys().size(), 5);
    EXPECT_EQ(c[QLatin1String("id")].toString(), QStringLiteral("small"));
    EXPECT_EQ(c[QLatin1String("source")].toString(), QStringLiteral("A test; here"));
    const QJsonArray checks = c[QLatin1String("checks")].toArray();
    ASSERT_EQ(checks.size(), int(result.Cases[0].Checks.size()));
    for (int i = 0; i < checks.size(); ++i) {
        const QJsonObject check = checks[i].toObject();
        const Check& expected = result.Cases[0].Checks[size_t(i)];
        EXPECT_EQ(check.keys().size(), 5);
        EXPECT_EQ(check[QLatin1String("what")].toString(), expected.What);
        EXPECT_EQ(check[QLatin1String("published")].toDouble(), expected.Published);
        EXPECT_EQ(check[QLatin1String("decimals")].toInt(), expected.Decimals);
        EXPECT_EQ(check[QLatin1String("computed")].toDouble(), expected.Computed); // exactly
        EXPECT_EQ(check[QLatin1String("ok")].toBool(), expected.Ok);
    }
    // The order as written: QJsonObject sorts its keys, so read the text.
    const auto order = [&text](const QStringList& keys) {
        QStringList pattern;
        for (const QString& key : keys)
            pattern << QLatin1Char('"') + key
                    + QStringLiteral("\": (?:\"(?:[^\"\\\\]|\\\\.)*\"|[-+0-9.eE]+|true|false|null|\\[)");
        return text.contains(QRegularExpression(pattern.join(QStringLiteral(", "))));
    };
    EXPECT_TRUE(text.startsWith(QStringLiteral("{\"ok\": true, \"version\": \"9.9\", \"commit\": \"abc123\", "
                                               "\"binary_sha256\": \"00ff\", \"cases\": [")));
    EXPECT_TRUE(order({ "id", "title", "source", "ok", "checks" }));
    EXPECT_TRUE(order({ "what", "published", "decimals", "computed", "ok" }));
    EXPECT_TRUE(text.contains(QStringLiteral("\"published\": 14.989, \"decimals\": 3, \"computed\": ")));
}

// The pack delivered with the program agrees in every case, and every comparable number counts.
TEST(Validation, DeliveredPackAgrees)
{
    const ValidationPack pack = LoadValidationPack(DeliveredPack());
    ASSERT_TRUE(pack.Error.isEmpty()) << pack.Error.toStdString();
    ASSERT_EQ(pack.Cases.size(), 8u);
    int comparable = 0;
    for (const ValidationCase& c : pack.Cases) {
        EXPECT_TRUE(c.Errors.isEmpty()) << c.Id.toStdString() << ": " << c.Errors.join(QLatin1Char('\n')).toStdString();
        comparable += int(std::count_if(
            c.Published.begin(), c.Published.end(), [](const PublishedEntry& e) { return e.Comparable; }));
    }
    EXPECT_EQ(comparable, 63);
    const PackResult result = RunPack(pack, TestIdentity());
    for (const CaseResult& c : result.Cases) {
        EXPECT_TRUE(c.Ok) << c.Id.toStdString() << ": " << c.Errors.join(QLatin1Char('\n')).toStdString();
        for (const Check& check : c.Checks)
            EXPECT_TRUE(check.Ok) << c.Id.toStdString() << ": " << check.What.toStdString() << " published "
                                  << check.Published << " computed " << check.Computed << " tolerance "
                                  << check.Tolerance;
    }
    EXPECT_TRUE(result.Ok);
    // 63 entries; the series count one check per point, the rule hits one per chart and family.
    EXPECT_EQ(result.CheckCount(), 207);
}

TEST(Validation, ReportHasSummaryCasesAndCharts)
{
    ChartDrawingState().Reset();
    const int margin = ChartDrawingState().LeftMargin;
    PackResult result = RunPack(LoadValidationPack(DeliveredPack()), TestIdentity());
    const rpt::PreparedReport report = BuildValidationReport(result);
    EXPECT_EQ(ChartDrawingState().LeftMargin, margin); // the window's drawings go on as before
    EXPECT_TRUE(report.warnings().isEmpty()) << report.warningsMessage().toStdString();
    ASSERT_GT(report.pageCount(), 9);
    // The first page: identity and the summary verdict.
    EXPECT_EQ(report.findText(QStringLiteral("Результат: усі випадки (8) збігаються")), std::vector<int> { 0 });
    EXPECT_EQ(report.findText(QStringLiteral("abc123")), std::vector<int> { 0 });
    EXPECT_FALSE(report.findText(QStringLiteral("sas_partgaps: ")).empty());
    int pictures = 0;
    for (const rpt::PreparedPage& page : report.pages()) {
        for (const rpt::DrawCmd& command : page.commands)
            pictures += std::holds_alternative<rpt::ImageCmd>(command) ? 1 : 0;
    }
    EXPECT_GT(pictures, 16); // at least two charts of every case
}
