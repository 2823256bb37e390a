#include "EngineTestSupport.h"

#include "reports/ReportEngine.h"
#include "reports/ReportTemplate.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rpt;

TEST(TemplateLoader, ReadsPageBandsAndObjects)
{
    const QByteArray xml = R"(<report version="1">
 <page paper="A4" orientation="portrait" marginLeft="15" marginRight="5" marginTop="10" marginBottom="10" font="Arial" fontSize="9">
  <band type="pageHeader" name="PageHeader1" height="12.5">
   <memo name="LabFull" x="0" y="0" w="190" h="5" bold="true" align="center" valign="center" color="#ff0000">[Lab_FullName]</memo>
   <line x1="0" y1="11" x2="190" y2="11" width="0.3"/>
  </band>
  <band type="data" name="MasterData1" dataSet="frxUserDataSet1" height="5">
   <memo name="C1" x="0" y="0" w="25" h="5" frame="lb" frameWidth="0.3" stretch="max" fill="#eeeeee">Рядок
другий</memo>
   <picture name="Picture1" x="25" y="0" w="165" h="5" fit="stretch" align="center"/>
  </band>
  <band type="data" name="MasterData2" rowCount="0" height="10">
   <crosstab name="Cross1" x="0" y="0" w="190" fontSize="7" minColWidth="8" maxColWidth="30" rowHeaderTitle="№"/>
  </band>
 </page>
</report>)";
    auto templ = TemplateLoader::parse(xml, QStringLiteral("t.fr3"));
    EXPECT_DOUBLE_EQ(templ->page.paperMm.width(), 210);
    EXPECT_DOUBLE_EQ(templ->page.bodyWidthMm(), 190);
    ASSERT_EQ(templ->bands().size(), 3u);
    EXPECT_EQ(templ->bands()[0]->type, BandType::PageHeader);
    EXPECT_DOUBLE_EQ(templ->bands()[0]->heightMm, 12.5);

    auto* memo = static_cast<MemoObject*>(templ->find(QStringLiteral("LabFull")));
    ASSERT_TRUE(memo);
    EXPECT_TRUE(memo->font.bold);
    EXPECT_EQ(memo->alignment, Qt::AlignHCenter | Qt::AlignVCenter);
    EXPECT_EQ(memo->fontColor(), QColor(255, 0, 0));
    EXPECT_EQ(memo->text(), QStringLiteral("[Lab_FullName]"));

    auto* cell = static_cast<MemoObject*>(templ->find(QStringLiteral("C1")));
    EXPECT_EQ(cell->text(), QStringLiteral("Рядок\nдругий")); // line breaks kept
    EXPECT_EQ(cell->frame.sides, unsigned(FrameLeft | FrameBottom));
    EXPECT_EQ(cell->stretch, Stretch::Max);
    EXPECT_EQ(cell->band()->name(), QStringLiteral("MasterData1"));

    auto* band = static_cast<Band*>(templ->find(QStringLiteral("MasterData2")));
    EXPECT_EQ(band->rowCount(), 0);
    EXPECT_EQ(templ->find(QStringLiteral("Cross1"))->kind(), ObjectKind::CrossTab);
    EXPECT_EQ(templ->find(QStringLiteral("Picture1"))->kind(), ObjectKind::Picture);
}

// Every fault names the file, the line and the column where it is.
TEST(TemplateLoader, ErrorsNameFileLineAndColumn)
{
    struct Case {
        const char* name;
        QString bands;
        QString expected; // part of the message
        int line;
    };
    const QList<Case> cases = {
        { "unknown element", QStringLiteral("<band type=\"data\" height=\"5\">\n<memoo x=\"0\"/></band>"),
            QStringLiteral("невідомий елемент memoo"), 4 },
        { "unknown attribute", QStringLiteral("<band type=\"data\" height=\"5\" colour=\"red\"/>"),
            QStringLiteral("невідомий атрибут colour"), 3 },
        { "bad number", QStringLiteral("<band type=\"data\" height=\"5,5\"/>"), QStringLiteral("\"5,5\" не є числом"),
            3 },
        { "duplicate name ignoring case",
            QStringLiteral("<band type=\"data\" name=\"Смуга\" height=\"5\"/>\n"
                           "<band type=\"data\" name=\"сМУГА\" height=\"5\"/>"),
            QStringLiteral("ім'я \"сМУГА\" вже використано"), 4 },
        { "bad choice", QStringLiteral("<band type=\"middle\" height=\"5\"/>"), QStringLiteral("type"), 3 },
        { "memo without height",
            QStringLiteral("<band type=\"data\" height=\"5\">\n<memo x=\"0\" y=\"0\" w=\"5\"/></band>"),
            QStringLiteral("не має атрибута h"), 4 },
        { "malformed xml",
            QStringLiteral("<band type=\"data\" height=\"5\">\n<memo x=\"0\" y=\"0\" w=\"5\" h=\"5\">a</band>"),
            QString(), 4 },
        { "unknown data set", QStringLiteral("<band type=\"data\" dataSet=\"Other\" height=\"5\"/>"),
            QStringLiteral("невідомий набір даних"), 3 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            TemplateLoader::parse(TemplateXml(c.bands), QStringLiteral("Data/test.fr3"));
            ADD_FAILURE() << "no error";
        } catch (const ReportError& error) {
            const QString message = error.message();
            EXPECT_TRUE(message.contains(QDir::toNativeSeparators(QStringLiteral("Data/test.fr3"))))
                << message.toStdString();
            EXPECT_TRUE(message.contains(QStringLiteral("рядок %1,").arg(c.line))) << message.toStdString();
            EXPECT_TRUE(message.contains(QStringLiteral("позиція"))) << message.toStdString();
            EXPECT_TRUE(message.contains(c.expected)) << message.toStdString();
        }
    }
}

TEST(TemplateLoader, MissingFileIsAnErrorAndKeepsTheLoadedTemplate)
{
    ReportEngine engine;
    engine.loadTemplateXml(
        TemplateXml(QStringLiteral("<band type=\"data\" name=\"Keep\" height=\"5\"/>")), QStringLiteral("a.fr3"));
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("head.fr3"));
    EXPECT_THROW(engine.loadTemplate(missing), ReportError);
    EXPECT_TRUE(engine.band(QStringLiteral("Keep")));

    QFile file(dir.filePath(QStringLiteral("ok.fr3")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(TemplateXml(QStringLiteral("<band type=\"data\" name=\"Other\" height=\"5\"/>")));
    file.close();
    engine.loadTemplate(file.fileName());
    EXPECT_FALSE(engine.band(QStringLiteral("Keep")));
    EXPECT_TRUE(engine.band(QStringLiteral("other")));
}

// The program addresses objects by names written in any case, Cyrillic ones included.
TEST(ReportEngineLookup, IgnoresCaseAndChecksKind)
{
    ReportEngine engine;
    engine.loadTemplateXml(
        TemplateXml(QStringLiteral("<band type=\"data\" name=\"MasterData1\" height=\"5\">"
                                   "<memo name=\"Підсумок\" x=\"0\" y=\"0\" w=\"10\" h=\"5\">a</memo>"
                                   "<memo name=\"SDate\" x=\"10\" y=\"0\" w=\"10\" h=\"5\"/>"
                                   "<picture name=\"Picture1\" x=\"20\" y=\"0\" w=\"190\" h=\"5\"/>"
                                   "</band>")),
        QStringLiteral("t.fr3"));
    EXPECT_EQ(engine.findObject(QStringLiteral("пІДСУМОК")), engine.findObject(QStringLiteral("Підсумок")));
    EXPECT_TRUE(engine.memo(QStringLiteral("ПІДСУМОК")));
    EXPECT_TRUE(engine.memo(QStringLiteral("sdate")));
    EXPECT_TRUE(engine.band(QStringLiteral("masterdata1")));
    EXPECT_FALSE(engine.memo(QStringLiteral("masterdata1"))); // a band, not a memo
    EXPECT_FALSE(engine.findObject(QStringLiteral("Missing")));
    EXPECT_THROW(engine.object(QStringLiteral("Missing")), ReportError);
    EXPECT_TRUE(engine.dataSet(QStringLiteral("FRXUSERDATASET2")));
    EXPECT_FALSE(engine.dataSet(QStringLiteral("frxUserDataSet4")));

    // 190 mm is 718 report pixels; the canvas measures with the chart font.
    PictureObject* picture = engine.picture(QStringLiteral("PICTURE1"));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->widthPx(), 718);
    EXPECT_GT(picture->textWidthPx(QStringLiteral("12,345 мг/л")), picture->textWidthPx(QStringLiteral("1")));
}
