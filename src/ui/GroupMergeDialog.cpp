#include "ui/GroupMergeDialog.h"

#include "model/Numbers.h"

#include <algorithm>

#include <QButtonGroup>
#include <QCheckBox>
#include <QFont>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr int lineTop = 22;
constexpr int lineStep = 28;
constexpr int lineHeight = 21;

} // namespace

GroupMergeDialog::GroupMergeDialog(bool individual, Messenger& messenger, QWidget* parent)
    : QDialog(parent)
    , m_individual(individual)
    , m_messenger(messenger)
{
    setWindowTitle(QStringLiteral("Злиття двох груп точок"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // The fixed client sizes were laid out for a narrow 8-point font; a slightly smaller one keeps
    // every caption whole in the wider fonts of other systems.
    QFont small = font();
    small.setPointSizeF(std::min(7.5, small.pointSizeF()));
    setFont(small);
}

void GroupMergeDialog::BuildPanes(const std::array<QRect, 3>& paneRects, const std::array<const char*, 3>& paneNames,
    std::span<const LineNames> lines, int checkWidth, int editWidth)
{
    for (int pane = Earlier; pane <= New; ++pane) {
        QGroupBox* box = new QGroupBox(this);
        box->setObjectName(QLatin1String(paneNames[size_t(pane)]));
        box->setGeometry(paneRects[size_t(pane)]);
        m_panes[size_t(pane)] = box;
        int top = lineTop;
        for (const LineNames& names : lines) {
            const size_t index = size_t(names.Line);
            const QString number = QString::number(names.Numbers[size_t(pane)]);
            QCheckBox* check = new QCheckBox(MergeLineCaption(names.Line), box);
            check->setObjectName(QStringLiteral("CheckBox") + number);
            check->setGeometry(10, top, checkWidth, lineHeight);
            QLineEdit* edit = new QLineEdit(box);
            edit->setObjectName(QStringLiteral("Edit") + number);
            edit->setGeometry(10 + checkWidth + 4, top, editWidth, lineHeight);
            if (pane == New) {
                connect(check, &QCheckBox::toggled, this, &GroupMergeDialog::followCheckBoxes);
            } else {
                check->setEnabled(false);
                edit->setReadOnly(true);
                edit->setEnabled(false);
            }
            m_checks[size_t(pane)][index] = check;
            m_edits[size_t(pane)][index] = edit;
            top += lineStep;
        }
        if (pane != New)
            box->setEnabled(false);
    }
}

void GroupMergeDialog::BuildBasisChoices(int top)
{
    for (int pane = Earlier; pane <= New; ++pane) {
        QGroupBox* panel = m_panes[size_t(pane)];
        QGroupBox* box = new QGroupBox(QStringLiteral(" Межі для середнього обчислювати на основі "), panel);
        box->setObjectName(QStringLiteral("RadioGroup") + QString::number(pane + 1));
        // The new group's choice sits beside its lines, where its wider pane has room.
        if (pane == New)
            box->setGeometry(panel->width() / 2 + 10, lineTop, panel->width() / 2 - 20, 48);
        else
            box->setGeometry(10, top, panel->width() - 20, 48);
        QButtonGroup* group = new QButtonGroup(box);
        const QString items[] = { QStringLiteral("Вибіркового відхилення"), QStringLiteral("Вибіркового розмаху") };
        const int column = (box->width() - 20) / 2;
        for (int item = 0; item < 2; ++item) {
            QRadioButton* radio = new QRadioButton(items[item], box);
            radio->setObjectName(box->objectName() + QStringLiteral("Item") + QString::number(item));
            radio->setGeometry(10 + item * column, 20, column, lineHeight);
            group->addButton(radio, item);
        }
        m_basisBoxes[size_t(pane)] = box;
        m_basisGroups[size_t(pane)] = group;
    }
}

void GroupMergeDialog::PlaceButtons(int top)
{
    m_button1 = new QPushButton(QStringLiteral("Підтвердити"), this);
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_button2 = new QPushButton(QStringLiteral("Скасувати"), this);
    m_button2->setObjectName(QStringLiteral("Button2"));
    const int width = 90;
    m_button1->setGeometry(this->width() / 2 - width - 6, top, width, 25);
    m_button2->setGeometry(this->width() / 2 + 6, top, width, 25);
    m_button1->setDefault(true);
    connect(m_button1, &QPushButton::clicked, this, &GroupMergeDialog::Button1Click);
    connect(m_button2, &QPushButton::clicked, this, &GroupMergeDialog::Button2Click);
}

void GroupMergeDialog::Fill(const MergeQuestion& question)
{
    m_resultCode = Cancelled;
    m_decision.reset();
    m_panes[Earlier]->setTitle(question.EarlierCaption);
    m_panes[Later]->setTitle(question.LaterCaption);
    m_panes[New]->setTitle(question.MergedCaption);
    const std::array<const TIndividualInfo*, 2> groups { question.Earlier, question.Later };
    for (int pane = Earlier; pane <= Later; ++pane) {
        const TIndividualInfo* group = groups[size_t(pane)];
        for (MergeLine line : MergeLines(m_individual)) {
            const TFixableValue setting = group ? SettingOf(*group, line) : TFixableValue {};
            m_checks[size_t(pane)][size_t(line)]->setChecked(!setting.Fixed);
            m_edits[size_t(pane)][size_t(line)]->setText(FormatFixed(setting.Value, question.DisplayPrecision));
        }
        if (QButtonGroup* basis = m_basisGroups[size_t(pane)])
            basis->button(!group || group->UseSampleDeviation ? 0 : 1)->setChecked(true);
    }
    for (MergeLine line : MergeLines(m_individual)) {
        m_edits[New][size_t(line)]->setText(QStringLiteral("0"));
        m_checks[New][size_t(line)]->setChecked(true);
    }
    if (QButtonGroup* basis = m_basisGroups[New])
        basis->button(0)->setChecked(true);
    followCheckBoxes();
}

void GroupMergeDialog::followCheckBoxes()
{
    for (MergeLine line : MergeLines(m_individual))
        m_edits[New][size_t(line)]->setEnabled(!m_checks[New][size_t(line)]->isChecked());
    if (QGroupBox* basis = m_basisBoxes[New])
        basis->setEnabled(m_checks[New][size_t(MergeLine::Centre)]->isChecked());
}

void GroupMergeDialog::Button1Click()
{
    MergeEntries entries;
    for (MergeLine line : MergeLines(m_individual)) {
        entries.Automatic[size_t(line)] = m_checks[New][size_t(line)]->isChecked();
        entries.Texts[size_t(line)] = m_edits[New][size_t(line)]->text();
    }
    if (QButtonGroup* basis = m_basisGroups[New])
        entries.UseSampleDeviation = basis->checkedId() != 1;
    m_decision = DecideMerge(m_individual, entries, m_messenger);
    if (!m_decision)
        return;
    m_resultCode = Confirmed;
    done(Confirmed);
}

void GroupMergeDialog::Button2Click()
{
    done(Cancelled);
}
