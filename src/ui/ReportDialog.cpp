#include "ui/ReportDialog.h"

#include "model/MeasurementDocument.h"
#include "model/Messenger.h"
#include "paint/ChartPage.h"
#include "presentation/MainWindowState.h"
#include "reports/ReportEngine.h"
#include "ui/Hints.h"
#include "ui/ReportPreviewDialog.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>

namespace {

// The numbers 1..count as texts, made when asked for: a list of a million points costs nothing.
class PointNumberModel final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    void setCount(int count)
    {
        beginResetModel();
        m_count = std::max(0, count);
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : m_count; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
            return QVariant();
        return QString::number(index.row() + 1);
    }

private:
    int m_count = 0;
};

constexpr int ChartBoxWidth = 249;
constexpr int ChartBoxHeight = 137;
constexpr int DataBoxHeight = 105;

// Where the chart boxes stand, by chart slot.
const QPoint ChartBoxPositions[ChartSlotCount]
    = { { 8, 120 }, { 8, 264 }, { 264, 120 }, { 264, 264 }, { 520, 120 }, { 520, 264 } };

struct BoxNames {
    const char* Box;
    const char* Check;
    const char* First;
    const char* Last;
    const char* Detail;
};
const BoxNames ChartBoxNames[ChartSlotCount] = {
    { "GroupBox1", "CheckBox1", "ComboBox2", "ComboBox3", "CheckBox2" },
    { "GroupBox3", "CheckBox5", "ComboBox6", "ComboBox7", "CheckBox6" },
    { "GroupBox2", "CheckBox3", "ComboBox4", "ComboBox5", "CheckBox4" },
    { "GroupBox4", "CheckBox7", "ComboBox8", "ComboBox9", "CheckBox8" },
    { "GroupBox5", "CheckBox9", "ComboBox10", "ComboBox11", "CheckBox10" },
    { "GroupBox6", "CheckBox11", "ComboBox12", "ComboBox13", "CheckBox12" },
};

QComboBox* makeRangeList(QWidget* parent, const QString& name, QPoint pos)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setCompleter(nullptr); // a completer would scan every number on each key
    // Sizing to the contents would measure every entry of a long list.
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setMinimumContentsLength(7);
    list->setMaxVisibleItems(20);
    list->setGeometry(pos.x(), pos.y(), 97, 21);
    return list;
}

} // namespace

TfmReportDialog::TfmReportDialog(QWidget* parent)
    : QDialog(parent)
    , m_engine(std::make_unique<rpt::ReportEngine>())
{
    setObjectName(QStringLiteral("fmReportDialog"));
    setWindowTitle(QStringLiteral("Опції звіту"));
    resize(786, 442);
    // The boxes have the classic 8-point layout; larger text would be cut at their edges.
    QFont small = font();
    small.setPointSizeF(8);
    setFont(small);
    m_pointNumbers = new PointNumberModel(this);
    m_rangeNumbers = new PointNumberModel(this);

    m_data = makeBox(QStringLiteral("GroupBox7"), QStringLiteral("  Таблиця даних "), { 136, 8 },
        QStringLiteral("CheckBox13"), QStringLiteral("Виводити дані "), QStringLiteral("ComboBox1"),
        QStringLiteral("ComboBox19"), QString());
    for (int s = 0; s < ChartSlotCount; ++s) {
        const BoxNames& names = ChartBoxNames[s];
        m_charts[size_t(s)] = makeBox(QLatin1String(names.Box), QStringLiteral(" Карта ...    "), ChartBoxPositions[s],
            QLatin1String(names.Check), QStringLiteral("Виводити карту "), QLatin1String(names.First),
            QLatin1String(names.Last), QLatin1String(names.Detail));
    }

    // What the laboratory recorded beside the data: the points' notes and the change log.
    m_records = new QGroupBox(QStringLiteral(" Записи "), this);
    m_records->setObjectName(QStringLiteral("GroupBox8"));
    m_notes = new QCheckBox(QStringLiteral("Примітки та\nкоригувальні дії"), m_records);
    m_notes->setObjectName(QStringLiteral("CheckBoxNotes"));
    m_notes->setToolTip(QStringLiteral("Розділ \"Примітки та коригувальні дії\""));
    m_notes->setGeometry(8, 16, 121, 32);
    m_changeLog = new QCheckBox(QStringLiteral("Журнал змін"), m_records);
    m_changeLog->setObjectName(QStringLiteral("CheckBoxLog"));
    m_changeLog->setGeometry(8, 48, 121, 20);
    m_rules = new QCheckBox(QStringLiteral("Як застосовуються\nкритерії"), m_records);
    m_rules->setObjectName(QStringLiteral("CheckBoxRules"));
    m_rules->setToolTip(QStringLiteral("Розділ \"Як застосовуються критерії\""));
    m_rules->setGeometry(8, 68, 121, 32);

    m_button2 = new QPushButton(QStringLiteral("Підготувати звіт"), this);
    m_button2->setObjectName(QStringLiteral("Button2"));
    m_button2->setDefault(true);
    m_button1 = new QPushButton(QStringLiteral("Повернутися"), this);
    m_button1->setObjectName(QStringLiteral("Button1"));
    connect(m_button2, &QPushButton::clicked, this, &TfmReportDialog::Button2Click);
    connect(m_button1, &QPushButton::clicked, this, &TfmReportDialog::Button1Click);

    m_tempLabel = new QLabel(QStringLiteral("Потрібно для тимчасових дій"), this);
    m_tempLabel->setObjectName(QStringLiteral("TempLabel1"));
    m_tempLabel->hide();
}

TfmReportDialog::~TfmReportDialog() = default;

TfmReportDialog::RangeBox TfmReportDialog::makeBox(const QString& name, const QString& caption, QPoint pos,
    const QString& checkName, const QString& checkText, const QString& firstName, const QString& lastName,
    const QString& detailName)
{
    RangeBox box;
    const bool chart = !detailName.isEmpty();
    box.Box = new QGroupBox(caption, this);
    box.Box->setObjectName(name);
    box.Box->setGeometry(pos.x(), pos.y(), ChartBoxWidth, chart ? ChartBoxHeight : DataBoxHeight);
    box.Check = new QCheckBox(checkText, box.Box);
    box.Check->setObjectName(checkName);
    box.Check->setGeometry(12, 17, 225, 17);
    auto* label = new QLabel(chart ? QStringLiteral("Виводити частину карти, що містить точки ")
                                   : QStringLiteral("Виводити частину даних, що містить точки "),
        box.Box);
    label->setWordWrap(true);
    label->setGeometry(12, 35, 232, 26);
    auto* fromLabel = new QLabel(QStringLiteral("починаючи з"), box.Box);
    fromLabel->setGeometry(12, 61, 100, 21);
    box.First = makeRangeList(box.Box, firstName, { 140, 61 });
    auto* toLabel = new QLabel(QStringLiteral("і закінчуючи"), box.Box);
    toLabel->setGeometry(12, 83, 100, 21);
    box.Last = makeRangeList(box.Box, lastName, { 140, 83 });
    if (chart) {
        box.Detail = new QCheckBox(QStringLiteral("Виводити результатів аналізу детально"), box.Box);
        box.Detail->setObjectName(detailName);
        box.Detail->setGeometry(6, 111, 241, 17);
        QFont detailFont = box.Detail->font();
        detailFont.setPointSizeF(7.5); // the longest caption of the box
        box.Detail->setFont(detailFont);
    }
    RangeBox* self = chart ? nullptr : &m_data;
    connect(box.Check, &QCheckBox::clicked, this, [this, name, self] {
        if (self) {
            CheckBoxClick(*self);
            return;
        }
        for (RangeBox& chartBox : m_charts) {
            if (chartBox.Box->objectName() == name)
                CheckBoxClick(chartBox);
        }
    });
    return box;
}

void TfmReportDialog::SetChartCaptions(const std::array<QString, ChartSlotCount>& pageCaptions)
{
    for (int s = 0; s < ChartSlotCount; ++s) {
        if (!pageCaptions[size_t(s)].isEmpty())
            m_charts[size_t(s)].Box->setTitle(QLatin1Char(' ') + pageCaptions[size_t(s)] + QLatin1Char(' '));
    }
}

void TfmReportDialog::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TfmReportDialog::FormShow()
{
    if (!m_doc)
        return;
    const bool individual = m_doc->IndividualMode();
    static_cast<PointNumberModel*>(m_pointNumbers)->setCount(m_doc->PointCount());
    static_cast<PointNumberModel*>(m_rangeNumbers)->setCount(RangeEndLimit(*m_doc, SlotDeviation));
    const int buttonTop = individual ? 264 : 408;
    if (individual) {
        resize(534, 326);
        m_button1->setGeometry(360, buttonTop, 150, 25);
        m_button2->setGeometry(200, buttonTop, 150, 25);
        m_data.Box->move(136, 8);
        m_records->setGeometry(393, 8, 133, DataBoxHeight);
    } else {
        resize(787, 473);
        m_button1->setGeometry(616, buttonTop, 150, 25);
        m_button2->setGeometry(456, buttonTop, 150, 25);
        m_data.Box->move(264, 8);
        m_records->setGeometry(520, 8, 133, DataBoxHeight);
    }
    const ReportRequest defaults = DefaultReportRequest(*m_doc);
    m_notes->setChecked(defaults.Notes);
    m_changeLog->setChecked(defaults.ChangeLog);
    m_rules->setChecked(defaults.Rules);
    for (int s : { int(SlotMedians), int(SlotRelDeviation), int(SlotRanges), int(SlotRelRanges) })
        m_charts[size_t(s)].Box->setVisible(!individual);

    fillRanges(m_data, m_pointNumbers, m_pointNumbers);
    m_data.Check->setChecked(false);
    CheckBoxClick(m_data);
    for (int s = 0; s < ChartSlotCount; ++s) {
        RangeBox& box = m_charts[size_t(s)];
        const bool movingRanges = individual && s == SlotDeviation;
        fillRanges(box, m_pointNumbers, movingRanges ? m_rangeNumbers : m_pointNumbers);
        box.Check->setChecked(false);
        box.Detail->setChecked(false);
        CheckBoxClick(box);
        // A chart the document does not draw (the median chart of large subgroups) cannot be chosen.
        box.Box->setEnabled(SlotInUse(*m_doc, s));
    }
}

void TfmReportDialog::fillRanges(RangeBox& box, QAbstractItemModel* firstModel, QAbstractItemModel* lastModel)
{
    box.First->setModel(firstModel);
    box.Last->setModel(lastModel);
    box.First->setCurrentIndex(firstModel->rowCount() > 0 ? 0 : -1);
    box.Last->setCurrentIndex(lastModel->rowCount() - 1);
}

void TfmReportDialog::CheckBoxClick(RangeBox& box)
{
    const bool on = box.Check->isChecked();
    box.First->setEnabled(on);
    box.Last->setEnabled(on);
    if (box.Detail)
        box.Detail->setEnabled(on);
}

ReportRequest TfmReportDialog::Request() const
{
    ReportRequest request;
    request.DataCaption = m_data.Box->title();
    request.Data = { m_data.Check->isChecked(), m_data.First->currentText(), m_data.Last->currentText(), false };
    for (int s = 0; s < ChartSlotCount; ++s) {
        const RangeBox& box = m_charts[size_t(s)];
        const bool offered = m_doc && SlotInUse(*m_doc, s);
        request.Captions[size_t(s)] = box.Box->title();
        request.Charts[size_t(s)] = { offered && box.Check->isChecked(), box.First->currentText(),
            box.Last->currentText(), box.Detail->isChecked() };
    }
    request.Notes = m_notes->isChecked();
    request.ChangeLog = m_changeLog->isChecked();
    request.Rules = m_rules->isChecked();
    return request;
}

void TfmReportDialog::Button2Click()
{
    if (!m_doc)
        return;
    Messenger& messenger = m_doc->messenger();
    const ReportRequest request = Request();
    if (const std::optional<QString> message = CheckRanges(*m_doc, request)) {
        messenger.ShowMessage(*message);
        return;
    }
    if (const std::optional<QString> message = MissingTemplateMessage(m_templateFolder, request)) {
        messenger.ShowMessage(*message);
        return;
    }

    ReportAssembler assembler(*m_doc, *m_engine, m_templateFolder);
    assembler.SetLaboratoryNames(m_lab);
    // A long report shows its progress after a moment and can be cancelled.
    QProgressDialog progress(QStringLiteral("Підготовка звіту..."), QStringLiteral("Скасувати"), 0, 1000, this);
    progress.setObjectName(QStringLiteral("ReportProgress"));
    progress.setWindowTitle(QStringLiteral("Опції звіту"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(700);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.setValue(0);
    const ReportAssembler::Outcome outcome = assembler.Assemble(request, [&progress](qint64 done, qint64 total) {
        const int value = total > 0 ? int(std::min<qint64>(1000, done * 1000 / total)) : 0;
        if (value != progress.value())
            progress.setValue(value); // also lets the cancel button be pressed
        else
            QCoreApplication::processEvents();
        return !progress.wasCanceled();
    });
    m_context = assembler.Context();
    progress.close();
    if (outcome != ReportAssembler::Outcome::Done)
        return;
    // What the layout could not place as designed, said once before the report is shown.
    if (const QString warnings = m_engine->prepared().warningsMessage(); !warnings.isEmpty())
        messenger.ShowMessage(warnings);
    if (m_preview) {
        m_preview(*m_engine);
        return;
    }
    ReportPreviewDialog preview(m_engine->prepared(), m_doc->messenger(), this);
    preview.exec();
}

void TfmReportDialog::Button1Click()
{
    reject();
}

void ShowReportOptions(QWidget* parent, MeasurementDocument& doc, Hints& hints, const LaboratoryNames& laboratory,
    const QString& programFolder)
{
    if (!doc.HasDocument() || !doc.IsComputed())
        return;
    auto* dialog = parent ? parent->findChild<TfmReportDialog*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!dialog)
        dialog = new TfmReportDialog(parent);
    std::array<QString, ChartSlotCount> captions;
    for (int s = 0; s < ChartSlotCount; ++s)
        captions[size_t(s)] = MainWindowState(doc).TabCaption(s);
    dialog->SetChartCaptions(captions);
    dialog->SetDocument(&doc);
    dialog->SetTemplateFolder(ReportTemplateFolder(programFolder));
    dialog->SetLaboratoryNames(laboratory);
    hints.ShowHintLater(QStringLiteral("Роздрукувати"));
    dialog->exec();
}
