#include "presentation/AnalysisPresentation.h"

#include "common/TestSupport.h"

#include <ostream>

void PrintTo(const DetailsRow& row, std::ostream* os)
{
    *os << "{" << row.Criterion.toStdString() << " | " << row.Type.toStdString() << " | \"" << row.Points.toStdString()
        << "\"}";
}

namespace {

const QString InControl
    = QStringLiteral("Випробування знаходяться у статистично керованому стані. Можна продовжувати роботу.");
const QString Warning = QStringLiteral(
    "Карта відповідає попереджуючим критеріям. Можливо, варто застосувати запобіжні дії. Можна продовжувати роботу.");
const QString Critical = QStringLiteral("Сигнал про критичну невідповідність! Застосуйте коригувальні дії!");
const QString NotMet = QStringLiteral("Не відповідає критерію");

TEST(AnalysisPresentation, SentenceNamesTheCriteriaMet)
{
    EXPECT_EQ(CriteriaSentence({}), QStringLiteral("Не виконуються умови жодного критерію"));
    // Two blanks after the colon: one from the sentence, one from the list.
    EXPECT_EQ(CriteriaSentence({ { 2, 1, 1 }, { 1, 3, 3 }, { 2, 5, 5 } }),
        QStringLiteral("Для групи виконуються умови таких критеріїв:  2, 1"));
}

TEST(AnalysisPresentation, VerdictFollowsTheCriticalCriteriaOfEachFamily)
{
    struct Case {
        const char* name;
        CriteriaFamily family;
        ErrorArray hits;
        const QString& text;
    };
    const CriteriaFamily W = CriteriaFamily::Westgard;
    const CriteriaFamily I = CriteriaFamily::Iso;
    const Case cases[] = {
        { "westgard none", W, {}, InControl },
        { "westgard 1", W, { { 1, 4, 4 } }, Warning },
        { "westgard 2", W, { { 2, 4, 4 } }, Critical },
        { "westgard 3", W, { { 3, 3, 4 } }, Critical },
        { "westgard 4", W, { { 4, 3, 4 } }, Warning },
        { "westgard 5", W, { { 5, 1, 4 } }, Warning },
        { "westgard 6", W, { { 6, 1, 10 } }, Critical },
        { "westgard 1, 4, 5 many times", W, { { 1, 4, 4 }, { 1, 5, 5 }, { 4, 4, 5 }, { 5, 1, 9 }, { 1, 9, 9 } },
            Warning },
        { "westgard warnings and one rule 2", W, { { 1, 4, 4 }, { 4, 4, 5 }, { 2, 9, 9 } }, Critical },
        { "iso none", I, {}, InControl },
        { "iso 1", I, { { 1, 2, 2 } }, Critical },
        { "iso 2", I, { { 2, 1, 9 } }, Critical },
        { "iso 3", I, { { 3, 1, 6 } }, Critical },
        { "iso 4", I, { { 4, 1, 14 } }, Warning },
        { "iso 5", I, { { 5, 2, 4 } }, Warning },
        { "iso 6", I, { { 6, 1, 5 } }, Warning },
        { "iso 7", I, { { 7, 1, 15 } }, Critical },
        { "iso 8", I, { { 8, 1, 8 } }, Warning },
        { "iso 4, 5, 6, 8", I, { { 8, 1, 8 }, { 6, 1, 5 }, { 5, 2, 4 }, { 4, 1, 14 } }, Warning },
    };
    for (const Case& c : cases) {
        const AnalysisVerdict verdict = Verdict(c.family, c.hits);
        EXPECT_EQ(verdict.Text, c.text) << c.name;
        const bool critical = &c.text == &Critical;
        EXPECT_EQ(verdict.Critical, critical) << c.name;
        EXPECT_EQ(verdict.Colour, (critical ? TextColour { 255, 0, 0 } : TextColour { 0, 128, 0 })) << c.name;
        // The critical criteria are exactly those typed "Критичний" in the details grid.
        for (const TCriterionHit& hit : c.hits) {
            EXPECT_EQ(CriterionTypeText(c.family, hit.Criterion) == QStringLiteral("Критичний"),
                IsCriticalCriterion(c.family, hit.Criterion))
                << c.name;
        }
    }
}

TEST(AnalysisPresentation, WestgardDetailsRowsListThePointsOfEveryRule)
{
    // Rule 1 at points 3 and 7, rule 4 over 3-4; every other rule is not met.
    const std::vector<DetailsRow> rows = WestgardDetailsRows({ { 1, 3, 3 }, { 4, 3, 4 }, { 1, 7, 7 } });
    const std::vector<DetailsRow> expected = {
        { "Номер критерію", "Тип критерію", "Точки критерія" },
        { "1. Один результат вийшов за межі 2 сигма", "Попереджуючий", " 3 , 7 " },
        { "2. Один результат вийшов за межі 3 сигма", "Критичний", NotMet },
        { "3. Різниця між посл. результатами більше 4 сигма", "Критичний", NotMet },
        { "4. Два посл. результати вийшли за межі 2 сигма", "Попереджуючий", " 3-4 " },
        { "5. Чотири посл. результати вийшли за межі 1 сигма", "Попереджуючий", NotMet },
        { "6. Десять посл. результатів лежать по один бік від центру", "Критичний", NotMet },
    };
    EXPECT_EQ(rows, expected);
}

TEST(AnalysisPresentation, IsoDetailsRowsListThePointsOfEveryTest)
{
    // Test 2 met twice over the same points shows them twice; criterion 9 does not exist and is ignored.
    const std::vector<DetailsRow> rows
        = IsoDetailsRows({ { 2, 1, 9 }, { 8, 11, 18 }, { 2, 1, 9 }, { 9, 1, 1 }, { 5, 20, 22 }, { 5, 22, 24 } });
    const std::vector<DetailsRow> expected = {
        { "Номер критерію", "Тип критерію", "Точки критерія" },
        { "1. Один результат вийшов за межі 3 сигма", "Критичний", NotMet },
        { "2. 9 точок підряд у межах 1 сигма або по один бік від центру", "Критичний", " 1-9 , 1-9 " },
        { "3. 6 підряд зростаючих або спадаючих точок", "Критичний", NotMet },
        { "4. 14 поперемінно зростаючих та спадаючих точок", "Попереджуючий", NotMet },
        { "5. 2 з 3 послідовних точок за межами 2 сигма", "Попереджуючий", " 20-22 , 22-24 " },
        { "6. 4 з 5 послідовних точок за межами 1 сигма", "Попереджуючий", NotMet },
        { "7. 15 послідовних точок у межах 1 сигма вище та нижче центру", "Критичний", NotMet },
        { "8. 8 послідовних точок по обидва боки від центру за межами 1 сигма", "Попереджуючий", " 11-18 " },
    };
    EXPECT_EQ(rows, expected);
}

TEST(AnalysisPresentation, NoHitsGiveTheInControlDisplay)
{
    for (const CriteriaFamily family : { CriteriaFamily::Westgard, CriteriaFamily::Iso }) {
        const AnalysisDisplay display = PresentAnalysis(family, {});
        EXPECT_EQ(display.List, QString());
        EXPECT_EQ(display.Sentence, QStringLiteral("Не виконуються умови жодного критерію"));
        EXPECT_EQ(display.Verdict.Text, InControl);
        EXPECT_FALSE(display.Verdict.Critical);
        ASSERT_EQ(display.Details.size(), static_cast<std::size_t>(CriteriaCount(family) + 1));
        for (std::size_t row = 1; row < display.Details.size(); ++row)
            EXPECT_EQ(display.Details[row].Points, NotMet);
    }
}

TEST(AnalysisPresentation, DetailsWindowLayoutPerFamily)
{
    const DetailsWindowLayout westgard = DetailsWindowFor(CriteriaFamily::Westgard, QStringLiteral("Карта 1"), 0);
    EXPECT_EQ(westgard.Caption, QStringLiteral("Деталі по карті - Карта 1"));
    EXPECT_EQ(westgard.ClientWidth, 625);
    EXPECT_EQ(westgard.ClientHeight, 225);
    EXPECT_EQ(westgard.RowCount, 7);
    EXPECT_EQ(westgard.ColumnWidths, (std::array<int, 3> { 307, 88, 208 }));
    EXPECT_EQ(westgard.HintKey, QStringLiteral("Детальніше 1 на вкладці 0"));

    const DetailsWindowLayout iso = DetailsWindowFor(CriteriaFamily::Iso, QStringLiteral("Карта 3"), 2);
    EXPECT_EQ(iso.Caption, QStringLiteral("Деталі аналізу карти - Карта 3"));
    EXPECT_EQ(iso.ClientWidth, 675);
    EXPECT_EQ(iso.ClientHeight, 275);
    EXPECT_EQ(iso.RowCount, 9);
    EXPECT_EQ(iso.ColumnWidths, (std::array<int, 3> { 357, 90, 208 }));
    EXPECT_EQ(iso.HintKey, QStringLiteral("Детальніше 2 на вкладці 2"));

    EXPECT_EQ(AnalysisBoxCaption(CriteriaFamily::Iso), QStringLiteral(" Аналіз за ДСТУ IS0 8258-2001 "));
    EXPECT_EQ(AnalysisBoxCaption(CriteriaFamily::Westgard), QStringLiteral(" Аналіз за правилами Westgard "));
}

} // namespace

TEST(AnalysisPresentation, DetailsShowTheDatesOfEachHit)
{
    const QStringList dates { "01.02.2024", "02.02.2024", "", "04.02.2024", "04.02.2024" };
    const ErrorArray hits { { 1, 2, 2 }, { 1, 1, 4 }, { 2, 3, 3 }, { 3, 4, 5 }, { 3, 9, 9 } };
    const std::vector<DetailsRow> rows = DetailsGridRows(CriteriaFamily::Westgard, hits, dates);
    EXPECT_EQ(rows[1].Points, " 2 (02.02.2024) , 1-4 (01.02.2024 – 04.02.2024) ");
    EXPECT_EQ(rows[2].Points, " 3 "); // a point without a date
    EXPECT_EQ(rows[3].Points, " 4-5 (04.02.2024) , 9 "); // one day; a point past the dates
    EXPECT_EQ(rows[4].Points, "Не відповідає критерію");
    // Without dates the grid reads as it always has.
    EXPECT_EQ(DetailsGridRows(CriteriaFamily::Westgard, hits, {})[1].Points,
        DetailsGridRows(CriteriaFamily::Westgard, hits)[1].Points);
    EXPECT_EQ(PresentAnalysis(CriteriaFamily::Iso, { { 1, 1, 2 } }, dates).Details[1].Points,
        " 1-2 (01.02.2024 – 02.02.2024) ");
    EXPECT_EQ(HitDatesText({ 1, 0, 0 }, dates), "");
}
