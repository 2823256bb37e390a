#include "ui/ReportDialog.h"
#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "compute/ComputeDriver.h"
#include "reports/ReportEngine.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

std::vector<QStringList> Rows(int count, int size)
{
    std::vector<QStringList> rows;
    for (int i = 0; i < count; ++i) {
        QStringList values;
        for (int c = 0; c < std::max(1, size); ++c)
            values.append(QString::number(10.0 + ((i * 7 + c * 3) % 11) * 0.1, 'f', 1));
        rows.push_back(values);
    }
    return rows;
}

QString Templates()
{
    return QDir(QStringLiteral(MERIDAN_SOURCE_DIR)).filePath(QStringLiteral("data/Data"));
}

class ReportDialogTest : public ::testing::Test {
protected:
    void open(int subgroupSize, std::vector<int> groups)
    {
        std::vector<std::vector<QStringList>> table;
        for (int count : groups)
            table.push_back(Rows(count, subgroupSize));
        BuildDocument(doc, subgroupSize, table);
        ASSERT_TRUE(RunComputeCommand(doc));
        doc.ClearChanged();
        std::array<QString, ChartSlotCount> captions;
        for (int s = 0; s < ChartSlotCount; ++s)
            captions[size_t(s)] = doc.TabCaption(s);
        dialog.SetDocument(&doc);
        dialog.SetTemplateFolder(Templates());
        dialog.SetChartCaptions(captions);
        dialog.SetPreviewHandler([this](rpt::ReportEngine&) { ++previews; });
        dialog.show();
    }
    template <typename T> T* child(const char* name) { return dialog.findChild<T*>(QLatin1String(name)); }
    void check(const char* name) { child<QCheckBox>(name)->click(); }

    RecordingMessenger messenger;
    MeasurementDocument doc { messenger };
    TfmReportDialog dialog;
    int previews = 0;
};

TEST_F(ReportDialogTest, IndividualValuesLayoutAndLists)
{
    open(0, { 10, 10 });
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Опції звіту"));
    EXPECT_EQ(dialog.size(), QSize(534, 326));
    for (const char* hidden : { "GroupBox3", "GroupBox4", "GroupBox5", "GroupBox6" })
        EXPECT_FALSE(child<QGroupBox>(hidden)->isVisible()) << hidden;
    EXPECT_EQ(child<QGroupBox>("GroupBox7")->pos(), QPoint(136, 8));
    EXPECT_EQ(child<QGroupBox>("GroupBox1")->title(), QStringLiteral(" Карта індивідуальних значень "));
    EXPECT_EQ(child<QGroupBox>("GroupBox2")->title(), QStringLiteral(" Карта ковзних розмахів "));
    EXPECT_EQ(child<QPushButton>("Button1")->geometry().topLeft(), QPoint(360, 264));

    // Start lists from 1, end lists at the last point; the moving-range chart ends at its last range.
    EXPECT_EQ(child<QComboBox>("ComboBox1")->currentText(), QStringLiteral("1"));
    EXPECT_EQ(child<QComboBox>("ComboBox19")->currentText(), QStringLiteral("20"));
    EXPECT_EQ(child<QComboBox>("ComboBox3")->count(), 20);
    EXPECT_EQ(child<QComboBox>("ComboBox5")->count(), 18);
    EXPECT_EQ(child<QComboBox>("ComboBox5")->currentText(), QStringLiteral("18"));

    // Nothing chosen, lists disabled until the box is checked; the detail mark survives unchecking.
    EXPECT_FALSE(child<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_FALSE(child<QComboBox>("ComboBox2")->isEnabled());
    check("CheckBox1");
    EXPECT_TRUE(child<QComboBox>("ComboBox2")->isEnabled());
    EXPECT_TRUE(child<QCheckBox>("CheckBox2")->isEnabled());
    check("CheckBox2");
    check("CheckBox1");
    EXPECT_FALSE(child<QCheckBox>("CheckBox2")->isEnabled());
    EXPECT_TRUE(child<QCheckBox>("CheckBox2")->isChecked());
    check("CheckBox13");
    EXPECT_TRUE(child<QComboBox>("ComboBox19")->isEnabled());

    // A new showing forgets every choice.
    dialog.hide();
    dialog.show();
    EXPECT_FALSE(child<QCheckBox>("CheckBox13")->isChecked());
    EXPECT_FALSE(child<QCheckBox>("CheckBox2")->isChecked());
}

TEST_F(ReportDialogTest, SubgroupLayout)
{
    open(4, { 6, 5 });
    EXPECT_EQ(dialog.size(), QSize(787, 473));
    for (const char* shown : { "GroupBox1", "GroupBox2", "GroupBox3", "GroupBox4", "GroupBox5", "GroupBox6" })
        EXPECT_TRUE(child<QGroupBox>(shown)->isVisible()) << shown;
    EXPECT_EQ(child<QGroupBox>("GroupBox7")->pos(), QPoint(264, 8));
    EXPECT_EQ(child<QPushButton>("Button1")->geometry().topLeft(), QPoint(616, 408));
    EXPECT_EQ(child<QGroupBox>("GroupBox3")->title(), QStringLiteral(" Карта медіан "));
    EXPECT_EQ(child<QComboBox>("ComboBox13")->currentText(), QStringLiteral("11"));
}

TEST_F(ReportDialogTest, RangeChecksRefuseAndKeepTheChoices)
{
    open(0, { 10, 10 });
    check("CheckBox3");
    child<QComboBox>("ComboBox4")->setEditText(QStringLiteral("9"));
    child<QComboBox>("ComboBox5")->setEditText(QStringLiteral("4"));
    child<QPushButton>("Button2")->click();
    ASSERT_EQ(messenger.messages.size(), 1);
    EXPECT_EQ(
        messenger.messages.last(), QStringLiteral(" Карта ковзних розмахів  - некоректно задано діапазон точок!"));

    // A typed number beyond the list is refused the same way.
    child<QComboBox>("ComboBox4")->setEditText(QStringLiteral("1"));
    child<QComboBox>("ComboBox5")->setEditText(QStringLiteral("19"));
    child<QPushButton>("Button2")->click();
    EXPECT_EQ(
        messenger.messages.last(), QStringLiteral(" Карта ковзних розмахів  - некоректно задано діапазон точок!"));
    EXPECT_TRUE(child<QCheckBox>("CheckBox3")->isChecked());
    EXPECT_EQ(child<QComboBox>("ComboBox5")->currentText(), QStringLiteral("19"));

    child<QComboBox>("ComboBox5")->setEditText(QStringLiteral("abc"));
    child<QPushButton>("Button2")->click();
    EXPECT_EQ(messenger.messages.last(), QStringLiteral("Некоректно задане число!"));
    EXPECT_EQ(previews, 0);
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(ReportDialogTest, MissingTemplateBlocksEvenAnIndividualReport)
{
    open(0, { 10, 10 });
    QTemporaryDir dir;
    for (const QString& name : ReportTemplateNames()) {
        if (name != QStringLiteral("group.fr3"))
            QFile::copy(QDir(Templates()).filePath(name), QDir(dir.path()).filePath(name));
    }
    dialog.SetTemplateFolder(dir.path());
    check("CheckBox1");
    child<QPushButton>("Button2")->click();
    ASSERT_EQ(messenger.messages.size(), 1);
    EXPECT_TRUE(messenger.messages[0].startsWith(QStringLiteral("Не знайдено файл \"")));
    EXPECT_TRUE(messenger.messages[0].contains(QStringLiteral("group.fr3\"! Неможливо побудувати звіт!")));
    EXPECT_EQ(previews, 0);
}

// What the layout could not place as designed is said once, in one message, before the preview.
TEST_F(ReportDialogTest, LayoutWarningsShownOnceBeforeThePreview)
{
    open(0, { 10, 10 });
    QTemporaryDir dir;
    for (const QString& name : ReportTemplateNames())
        QFile::copy(QDir(Templates()).filePath(name), QDir(dir.path()).filePath(name));
    // A group-result template that asks for a value nobody answers, once per group.
    QFile result(QDir(dir.path()).filePath(QStringLiteral("result.fr3")));
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    QString xml = QString::fromUtf8(result.readAll());
    result.close();
    const QString gap = QStringLiteral("<band type=\"data\" name=\"GapBand\" rowCount=\"1\" height=\"4\">");
    ASSERT_TRUE(xml.contains(gap));
    xml.replace(
        gap, gap + QStringLiteral("<memo name=\"Probe\" x=\"0\" y=\"0\" w=\"20\" h=\"4\">[NoSuchValue]</memo>"));
    ASSERT_TRUE(result.open(QIODevice::WriteOnly | QIODevice::Truncate));
    result.write(xml.toUtf8());
    result.close();
    dialog.SetTemplateFolder(dir.path());
    int messagesAtPreview = -1;
    dialog.SetPreviewHandler([&](rpt::ReportEngine&) {
        ++previews;
        messagesAtPreview = int(messenger.messages.size());
    });
    check("CheckBox1");
    child<QPushButton>("Button2")->click();
    ASSERT_EQ(messenger.messages.size(), 1) << messenger.messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(messagesAtPreview, 1);
    EXPECT_EQ(previews, 1);
    const QString message = messenger.messages[0];
    EXPECT_TRUE(message.startsWith(QStringLiteral("Звіт підготовлено із зауваженнями до макета:")));
    EXPECT_EQ(message.count(QStringLiteral("Невідома змінна [NoSuchValue]")), 1); // two groups, said once
}

TEST_F(ReportDialogTest, AssemblesAndShowsThePreview)
{
    open(0, { 10, 10 });
    check("CheckBox13");
    check("CheckBox1");
    child<QComboBox>("ComboBox2")->setEditText(QStringLiteral("3"));
    child<QComboBox>("ComboBox3")->setEditText(QStringLiteral("15"));
    child<QPushButton>("Button2")->click();
    EXPECT_TRUE(messenger.messages.isEmpty()) << messenger.messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(dialog.Context().SectionFirst, 3);
    EXPECT_EQ(dialog.Context().SectionLast, 15);
    EXPECT_EQ(dialog.Context().SectionTitle, QStringLiteral(" Карта індивідуальних значень "));
    EXPECT_TRUE(dialog.isVisible()); // the window stays open for another report
    EXPECT_FALSE(doc.Changed());
    child<QPushButton>("Button1")->click();
    EXPECT_FALSE(dialog.isVisible());
}

} // namespace

#include "ui/MainForm.h"

#include <QApplication>
#include <QTimer>

namespace {

TEST(PrintReportCommand, OpensTheOptionsWithThePageCaptions)
{
    RecordingMessenger messenger;
    TMainForm form(&messenger);
    ASSERT_TRUE(
        form.OpenDocument(QDir(QStringLiteral(MERIDAN_SOURCE_DIR)).filePath(QStringLiteral("data/pistonrings.mrd"))));
    form.Compute();
    QString shownTitle;
    QString medianCaption;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TfmReportDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shownTitle = dialog->windowTitle();
        medianCaption = dialog->findChild<QGroupBox*>(QStringLiteral("GroupBox3"))->title();
        dialog->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    });
    form.PrintReportClick();
    EXPECT_EQ(shownTitle, QStringLiteral("Опції звіту"));
    EXPECT_EQ(medianCaption, QStringLiteral(" Карта медіан "));
    EXPECT_EQ(form.findChildren<TfmReportDialog*>().size(), 1); // made once, kept for the next command
}

} // namespace
