#include "ui/GroupHandlingBox.h"

#include "actions/DocumentActions.h"
#include "actions/GroupSettings.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"
#include "model/Numbers.h"
#include "presentation/GroupBoxState.h"
#include "presentation/MainWindowState.h"
#include "ui/DetailsWindow.h"
#include "ui/FocusEntry.h"
#include "ui/Hints.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {

// Geometry of the box, in its own coordinates. Each setting's edit sits under its check box, so
// the settings take a narrow column on the left and the two analyses the rest of the width.
constexpr int DefaultWidth = 776; // what the main window gives it below the pages
constexpr int DefaultHeight = 181;
constexpr int EditLeft = 26;
constexpr int EditWidth = 80;
constexpr int EditHeight = 21;
constexpr int UnitGap = 4;
constexpr int MinimumUnitWidth = 36;
constexpr int MaximumUnitWidth = 120; // longer units are cut rather than squeeze the analyses
constexpr int MiddleCheckTop = 38;
constexpr int MiddleTop = 56;
constexpr int SigmaCheckTop = 78;
constexpr int Sigma2TopBelowSigma = 108; // SigmaEdit2 beside SigmaEdit
constexpr int Sigma2TopAlone = 96; // SigmaEdit2 in the place of SigmaEdit
constexpr int AnalysisTop = 6;
constexpr int AnalysisGap = 3;
constexpr int ButtonWidth = 84;

const QString NoGroupChosen = QStringLiteral("Вкажіть групу точок зі списку, будь-ласка!");

QLabel* makeLabel(const QString& name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    return label;
}

QLineEdit* makeEdit(const QString& name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setAutoFillBackground(true);
    return edit;
}

// One analysis: the frame with its criteria sentence, coloured verdict and details button.
QGroupBox* makeAnalysisBox(CriteriaFamily family, const QString& name, QLabel*& list, const QString& listName,
    QLabel*& verdict, const QString& verdictName, QPushButton*& button, const QString& buttonName, QWidget* parent)
{
    auto* box = new QGroupBox(AnalysisBoxCaption(family), parent);
    box->setObjectName(name);
    list = makeLabel(listName, box);
    list->setWordWrap(true);
    list->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    verdict = makeLabel(verdictName, box);
    verdict->setWordWrap(true);
    verdict->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    button = new QPushButton(DetailsButtonCaption, box);
    button->setObjectName(buttonName);
    return box;
}

// The details button sits on the frame's top edge right of the caption, so the list sentence and
// the verdict under it both get the whole width of the frame.
void arrangeAnalysisBox(
    QGroupBox* box, QLabel* list, QLabel* verdict, QPushButton* button, int left, int top, int width, int height)
{
    box->setGeometry(left, top, width, height);
    const QFontMetrics metrics = list->fontMetrics();
    const int buttonWidth = std::max(ButtonWidth, button->sizeHint().width());
    const int buttonHeight = metrics.height() + 6;
    button->setGeometry(width - buttonWidth - 8, 0, buttonWidth, buttonHeight);
    const int listTop = buttonHeight + 1;
    const int listHeight = std::max(metrics.lineSpacing(), list->heightForWidth(width - 16));
    list->setGeometry(8, listTop, width - 16, listHeight);
    const int verdictTop = listTop + listHeight + 2;
    verdict->setGeometry(8, verdictTop, width - 16, std::max(metrics.lineSpacing(), height - verdictTop - 2));
}

} // namespace

GroupHandlingBox::GroupHandlingBox(MeasurementDocument& document, Hints& hints, QWidget* parent)
    : QGroupBox(QStringLiteral(" Результати аналізу та обчислення контрольних меж для груп  "), parent)
    , m_document(document)
    , m_hints(hints)
{
    setObjectName(QStringLiteral("GroupHandlingBox"));
    resize(DefaultWidth, DefaultHeight);

    m_groupLabel = makeLabel(QStringLiteral("GroupLabel"), this);
    m_groupLabel->setText(QStringLiteral("Група, що складається з точок із номерами:"));
    m_comboBox1 = new QComboBox(this);
    m_comboBox1->setObjectName(QStringLiteral("ComboBox1"));
    m_comboBox1->setMaxVisibleItems(20);

    m_middleCheckBox = new QCheckBox(this);
    m_middleCheckBox->setObjectName(QStringLiteral("MiddleCheckBox"));
    m_middleEdit = makeEdit(QStringLiteral("MiddleEdit"), this);
    m_label3 = makeLabel(QStringLiteral("Label3"), this);

    m_sigmaCheckBox = new QCheckBox(QStringLiteral("Автоматично обчислювати відхилення:"), this);
    m_sigmaCheckBox->setObjectName(QStringLiteral("SigmaCheckBox"));
    m_sigmaEdit = makeEdit(QStringLiteral("SigmaEdit"), this);
    m_label4 = makeLabel(QStringLiteral("Label4"), this);
    m_sigmaEdit2 = makeEdit(QStringLiteral("SigmaEdit2"), this);
    m_label5 = makeLabel(QStringLiteral("Label5"), this);
    m_label5->setText(QStringLiteral("%"));

    m_radioGroup1 = new QGroupBox(QStringLiteral(" Відхилення обчислювати на основі "), this);
    m_radioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    auto* items = new QHBoxLayout(m_radioGroup1);
    items->setContentsMargins(8, 2, 8, 4);
    const QString captions[2] = { QStringLiteral("Вибіркового відхилення"), QStringLiteral("Вибіркового розмаху") };
    for (int i = 0; i < 2; ++i) {
        m_radioItems[i] = new QRadioButton(captions[i], m_radioGroup1);
        m_radioItems[i]->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(i));
        items->addWidget(m_radioItems[i], 1);
        connect(m_radioItems[i], &QRadioButton::clicked, this, [this, i] { RadioGroup1Click(i); });
    }

    m_groupBox1 = makeAnalysisBox(CriteriaFamily::Westgard, QStringLiteral("GroupBox1"), m_label1,
        QStringLiteral("Label1"), m_label15, QStringLiteral("Label15"), m_details1, QStringLiteral("Details1"), this);
    m_groupBox2
        = makeAnalysisBox(CriteriaFamily::Iso, QStringLiteral("GroupBox2"), m_label26, QStringLiteral("Label26"),
            m_label28, QStringLiteral("Label28"), m_details1a, QStringLiteral("Details1a"), this);
    m_excludedLabel = makeLabel(QStringLiteral("ExcludedLabel"), this);
    m_excludedLabel->hide();
    arrange();

    m_details = new TFDet(hints, this);

    connect(m_comboBox1, &QComboBox::activated, this, &GroupHandlingBox::ComboBox1Select);
    connect(m_middleCheckBox, &QCheckBox::clicked, this, &GroupHandlingBox::MiddleCheckBoxClick);
    connect(m_sigmaCheckBox, &QCheckBox::clicked, this, &GroupHandlingBox::SigmaCheckBoxClick);
    connect(m_details1, &QPushButton::clicked, this, &GroupHandlingBox::Details1Click);
    connect(m_details1a, &QPushButton::clicked, this, &GroupHandlingBox::Details1aClick);
    // The model tells the box what changed under it: the units it writes beside the edits, and the
    // new layout of a mode, which empties the criteria lists.
    connect(&m_document, &MeasurementDocument::headersChanged, this, [this] {
        if (m_slot >= 0)
            ShowSlot(m_slot);
    });
    // Results dropped (an edit of the table, or a compute that failed part-way): nothing to edit,
    // and the list shows the groups the compute walked.
    connect(&m_document, &MeasurementDocument::viewStateChanged, this, [this] {
        if (!m_filling && !m_document.IsComputed())
            Clear();
    });
    connect(&m_document, &MeasurementDocument::criteriaCaptionsCleared, this, [this] {
        m_label1->clear();
        m_label26->clear();
    });
    for (QWidget* watched : { static_cast<QWidget*>(m_comboBox1), static_cast<QWidget*>(m_middleEdit),
             static_cast<QWidget*>(m_sigmaEdit), static_cast<QWidget*>(m_sigmaEdit2) })
        watched->installEventFilter(this);

    Clear();
}

GroupHandlingBox::~GroupHandlingBox() = default;

void GroupHandlingBox::resizeEvent(QResizeEvent* event)
{
    QGroupBox::resizeEvent(event);
    arrange();
}

void GroupHandlingBox::changeEvent(QEvent* event)
{
    QGroupBox::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        QTimer::singleShot(0, this, &GroupHandlingBox::arrange); // once the children have the new font too
}

void GroupHandlingBox::arrange()
{
    int captionWidth = m_sigmaCheckBox->sizeHint().width();
    for (int slot = 0; slot < ChartSlotCount; ++slot) {
        for (bool individual : { true, false }) {
            m_middleCheckBox->setText(MiddleCaption(individual, slot));
            captionWidth = std::max(captionWidth, m_middleCheckBox->sizeHint().width());
        }
    }
    m_middleCheckBox->setText(MiddleCaption(m_document.IndividualMode(), std::max(m_slot, 0)));
    const int checkHeight = m_middleCheckBox->sizeHint().height();
    const int labelHeight = m_label3->sizeHint().height();
    const int labelTop = (EditHeight - labelHeight) / 2;
    m_unitWidth = unitWidth();
    const int unitLeft = EditLeft + EditWidth + UnitGap;
    const int secondEditLeft = unitLeft + m_unitWidth + 8;
    const int radioWidth = m_radioGroup1->sizeHint().width();
    const int groupLabelWidth = m_groupLabel->sizeHint().width();
    const int comboLeft = 8 + groupLabelWidth + 8;
    const int columnRight = std::max({ 8 + captionWidth, secondEditLeft + EditWidth + UnitGap + m_unitWidth,
        8 + radioWidth, comboLeft + EditWidth + 30 });

    m_groupLabel->setGeometry(8, 16 + (EditHeight - labelHeight) / 2, groupLabelWidth, labelHeight);
    m_comboBox1->setGeometry(comboLeft, 16, columnRight - comboLeft, EditHeight);
    m_middleCheckBox->setGeometry(8, MiddleCheckTop, captionWidth, checkHeight);
    m_middleEdit->setGeometry(EditLeft, MiddleTop, EditWidth, EditHeight);
    m_label3->setGeometry(unitLeft, MiddleTop + labelTop, m_unitWidth, labelHeight);
    m_sigmaCheckBox->setGeometry(8, SigmaCheckTop, captionWidth, checkHeight);
    m_sigmaEdit->setGeometry(EditLeft, Sigma2TopBelowSigma, EditWidth, EditHeight);
    m_label4->setGeometry(unitLeft, Sigma2TopBelowSigma + labelTop, m_unitWidth, labelHeight);
    m_sigmaEdit2->resize(EditWidth, EditHeight);
    m_label5->resize(MinimumUnitWidth, labelHeight);
    placeSigmaControls(!m_sigmaEdit->isHidden());
    const int radioTop = Sigma2TopBelowSigma + EditHeight + 4;
    m_radioGroup1->setGeometry(8, radioTop, columnRight - 8, std::max(40, height() - radioTop - 4));

    m_analysisLeft = columnRight + 10;
    arrangeAnalyses();
}

void GroupHandlingBox::arrangeAnalyses()
{
    // The line of excluded points takes its room from the analyses only while it shows.
    const int lineHeight = m_excludedLabel->fontMetrics().height();
    const int footer = m_excludedLabel->isHidden() ? 0 : lineHeight + 2;
    const int analysisWidth = std::max(200, width() - m_analysisLeft - 6);
    const int analysisHeight = std::max(60, (height() - AnalysisTop - 4 - AnalysisGap - footer) / 2);
    arrangeAnalysisBox(
        m_groupBox1, m_label1, m_label15, m_details1, m_analysisLeft, AnalysisTop, analysisWidth, analysisHeight);
    const int secondTop = AnalysisTop + analysisHeight + AnalysisGap;
    arrangeAnalysisBox(
        m_groupBox2, m_label26, m_label28, m_details1a, m_analysisLeft, secondTop, analysisWidth, analysisHeight);
    m_excludedLabel->setGeometry(m_analysisLeft + 8, secondTop + analysisHeight + 1, analysisWidth - 16, lineHeight);
}

int GroupHandlingBox::unitWidth() const
{
    const int text = m_label3->fontMetrics().horizontalAdvance(TrimBlanks(m_document.Units()).toString()) + 4;
    return std::clamp(text, MinimumUnitWidth, MaximumUnitWidth);
}

QColor GroupHandlingBox::ReadOnlyColour()
{
    return GroupBoxState::ReadOnlyColour();
}

QColor GroupHandlingBox::EditableColour()
{
    return GroupBoxState::EditableColour();
}

void GroupHandlingBox::setReadOnlyLook(QLineEdit* edit, bool readOnly)
{
    edit->setReadOnly(readOnly);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, SettingEditState { true, QString(), readOnly }.Colour());
    edit->setPalette(palette);
}

void GroupHandlingBox::setVerdict(QLabel* label, const AnalysisVerdict& verdict)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(verdict.Colour.Red, verdict.Colour.Green, verdict.Colour.Blue));
    label->setPalette(palette);
    label->setText(verdict.Text);
}

bool GroupHandlingBox::handlersActive() const
{
    if (m_filling || m_slot < 0 || !m_document.IsComputed())
        return false;
    const int group = m_document.SelectedGroup()[size_t(m_slot)];
    return group >= 0 && size_t(group) < m_document.Groups().size();
}

void GroupHandlingBox::ShowSlot(int slot)
{
    // A value typed but not yet confirmed belongs to the page it was typed on: moving to another
    // page takes it as leaving the edit would, rather than losing it.
    if (slot != m_slot && handlersActive()) {
        for (QLineEdit* edit : { m_middleEdit, m_sigmaEdit, m_sigmaEdit2 }) {
            if (edit->isModified())
                submitEdit(edit);
        }
    }
    if (slot < 0 || slot >= ChartSlotCount || !m_document.IsComputed() || m_document.Groups().empty()) {
        Clear();
        return;
    }
    m_slot = slot;
    m_filling = true;
    fillGroupList(m_document.SelectedGroup()[size_t(m_slot)]);
    fillSettings();
    fillResults();
    m_filling = false;
}

void GroupHandlingBox::Clear()
{
    m_filling = true;
    m_slot = -1;
    fillGroupList(-1);
    // The sigma controls keep the visibility of the last slot shown.
    const GroupBoxState state = EmptyGroupBoxState(m_document);
    for (QLineEdit* edit : { m_middleEdit, m_sigmaEdit, m_sigmaEdit2 }) {
        edit->clear();
        setReadOnlyLook(edit, true);
    }
    m_middleCheckBox->setText(state.MiddleCaption);
    m_middleCheckBox->setChecked(state.MiddleAutomatic);
    m_sigmaCheckBox->setChecked(state.SigmaAutomatic);
    m_label3->setText(state.MiddleUnits);
    m_label4->setText(state.SigmaUnits);
    m_radioGroup1->setVisible(state.RadioGroupVisible);
    for (QLabel* label : { m_label1, m_label15, m_label26, m_label28, m_excludedLabel })
        label->clear();
    m_excludedLabel->hide();
    arrangeAnalyses();
    m_details->SetResults(WestgardDetailsRows({}), IsoDetailsRows({}));
    m_filling = false;
}

void GroupHandlingBox::fillGroupList(int selected)
{
    const QStringList& groups = m_document.GroupList();
    if (groups != m_shownGroups) {
        m_comboBox1->clear();
        m_comboBox1->addItems(groups);
        m_shownGroups = groups;
    }
    m_comboBox1->setCurrentIndex(selected < m_comboBox1->count() ? selected : -1);
}

void GroupHandlingBox::fillSettings()
{
    GroupBoxState state;
    if (!GroupBoxStateFor(m_document, m_slot, state))
        return;
    m_middleCheckBox->setText(state.MiddleCaption);
    m_middleCheckBox->setChecked(state.MiddleAutomatic);
    m_middleEdit->setText(state.Middle.Text);
    setReadOnlyLook(m_middleEdit, state.Middle.ReadOnly);
    m_label3->setText(state.MiddleUnits);
    if (unitWidth() != m_unitWidth)
        arrange(); // room for the units beside the edits

    m_sigmaCheckBox->setVisible(state.SigmaCheckVisible);
    m_sigmaCheckBox->setChecked(state.SigmaAutomatic);
    m_sigmaEdit->setVisible(state.Sigma.Visible);
    m_label4->setVisible(state.Sigma.Visible);
    m_label4->setText(state.SigmaUnits);
    m_sigmaEdit->setText(state.Sigma.Text);
    setReadOnlyLook(m_sigmaEdit, state.Sigma.ReadOnly);
    m_sigmaEdit2->setVisible(state.SigmaPercent.Visible);
    m_label5->setVisible(state.SigmaPercent.Visible);
    m_sigmaEdit2->setText(state.SigmaPercent.Text);
    setReadOnlyLook(m_sigmaEdit2, state.SigmaPercent.ReadOnly);
    placeSigmaControls(state.Sigma.Visible);

    m_radioGroup1->setVisible(state.RadioGroupVisible);
    m_radioItems[state.RadioItem]->setChecked(true);

    m_excludedLabel->setText(state.ExcludedText);
    m_excludedLabel->setVisible(!state.ExcludedText.isEmpty()); // fillResults arranges the analyses for it
}

// Beside SigmaEdit when that shows, else in its place, a little higher.
void GroupHandlingBox::placeSigmaControls(bool label4Visible)
{
    const int top = label4Visible ? Sigma2TopBelowSigma : Sigma2TopAlone;
    const int left = label4Visible ? m_label4->geometry().right() + 1 + 8 : m_sigmaEdit->x();
    m_sigmaEdit2->move(left, top);
    m_label5->move(left + EditWidth + UnitGap, top + (EditHeight - m_label5->height()) / 2);
}

void GroupHandlingBox::fillResults()
{
    const int selected = m_document.SelectedGroup()[size_t(m_slot)];
    if (selected < 0 || size_t(selected) >= m_document.Groups().size())
        return;
    const TSlotHits& hits = m_document.Groups()[size_t(selected)].Hits[size_t(m_slot)];
    const AnalysisDisplay westgard = PresentAnalysis(CriteriaFamily::Westgard, hits.Westgard, m_document.PointDates());
    const AnalysisDisplay iso = PresentAnalysis(CriteriaFamily::Iso, hits.Iso, m_document.PointDates());
    m_details->SetHits(hits, m_document, m_slot); // the details rows with the notes of the hits' points
    m_label1->setText(westgard.Sentence);
    setVerdict(m_label15, westgard.Verdict);
    m_label26->setText(iso.Sentence);
    setVerdict(m_label28, iso.Verdict);
    arrangeAnalyses(); // a list of one line leaves the verdict more room
}

void GroupHandlingBox::refreshAfterEdit(bool accepted)
{
    const int slot = m_slot;
    ShowSlot(slot);
    if (accepted)
        Q_EMIT linesChanged(slot);
}

void GroupHandlingBox::ComboBox1Select(int index)
{
    if (!handlersActive() || index < 0 || size_t(index) >= m_document.Groups().size())
        return;
    m_document.SetSelectedGroup(m_slot, index);
    refreshAfterEdit(true);
}

void GroupHandlingBox::ComboBox1Exit()
{
    // Asked exactly when no valid group is chosen, so the selected group is not required here.
    if (m_filling || m_submitting || m_slot < 0 || !m_document.IsComputed() || m_comboBox1->currentIndex() >= 0
        || m_comboBox1->count() == 0)
        return;
    m_submitting = true;
    m_document.messenger().ShowMessage(NoGroupChosen);
    m_submitting = false;
    QTimer::singleShot(0, m_comboBox1, [combo = m_comboBox1] { combo->setFocus(); });
}

void GroupHandlingBox::MiddleCheckBoxClick(bool ticked)
{
    if (!handlersActive())
        return;
    refreshAfterEdit(
        m_actions ? m_actions->MiddleCheckBoxClick(m_slot, ticked) : ::MiddleCheckBoxClick(m_document, m_slot, ticked));
}

void GroupHandlingBox::SigmaCheckBoxClick(bool ticked)
{
    if (!handlersActive())
        return;
    refreshAfterEdit(
        m_actions ? m_actions->SigmaCheckBoxClick(m_slot, ticked) : ::SigmaCheckBoxClick(m_document, m_slot, ticked));
}

void GroupHandlingBox::RadioGroup1Click(int itemIndex)
{
    if (!handlersActive())
        return;
    m_hints.ShowExampleHint(QStringLiteral("Відхилення"));
    refreshAfterEdit(
        m_actions ? m_actions->RadioGroup1Click(m_slot, itemIndex) : ::RadioGroup1Click(m_document, m_slot, itemIndex));
}

void GroupHandlingBox::submitEdit(QLineEdit* edit)
{
    if (!handlersActive() || m_submitting || edit->isReadOnly())
        return;
    m_submitting = true; // a message box takes the focus and would leave the edit again
    const QString text = edit->text();
    bool accepted = false;
    if (edit == m_middleEdit)
        accepted = m_actions ? m_actions->MiddleEditSubmit(m_slot, text) : MiddleEditSubmit(m_document, m_slot, text);
    else if (edit == m_sigmaEdit)
        accepted = m_actions ? m_actions->SigmaEditSubmit(m_slot, text) : SigmaEditSubmit(m_document, m_slot, text);
    else
        accepted = m_actions ? m_actions->SigmaEdit2Submit(m_slot, text) : SigmaEdit2Submit(m_document, m_slot, text);
    edit->setModified(false);
    m_submitting = false;
    refreshAfterEdit(accepted); // a refused text gives way to the value kept
}

void GroupHandlingBox::MiddleEditExit()
{
    if (m_middleEdit->isModified())
        submitEdit(m_middleEdit);
}

void GroupHandlingBox::MiddleEditKeyDown(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        submitEdit(m_middleEdit);
}

void GroupHandlingBox::SigmaEditExit()
{
    if (m_sigmaEdit->isModified())
        submitEdit(m_sigmaEdit);
}

void GroupHandlingBox::SigmaEditKeyDown(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        submitEdit(m_sigmaEdit);
}

void GroupHandlingBox::SigmaEdit2Exit()
{
    if (m_sigmaEdit2->isModified())
        submitEdit(m_sigmaEdit2);
}

void GroupHandlingBox::SigmaEdit2KeyDown(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        submitEdit(m_sigmaEdit2);
}

void GroupHandlingBox::EditEnter(QLineEdit* edit)
{
    if (!handlersActive())
        return;
    const QCheckBox* box = edit == m_middleEdit ? m_middleCheckBox : m_sigmaCheckBox;
    if (!box->isChecked())
        m_hints.ShowHintLater(QStringLiteral("Редагування"));
}

void GroupHandlingBox::Details1Click()
{
    if (m_slot < 0)
        return;
    m_details->ShowDetails(CriteriaFamily::Westgard, MainWindowState(m_document).TabCaption(m_slot), m_slot + 2);
}

void GroupHandlingBox::Details1aClick()
{
    if (m_slot < 0)
        return;
    m_details->ShowDetails(CriteriaFamily::Iso, MainWindowState(m_document).TabCaption(m_slot), m_slot + 2);
}

bool GroupHandlingBox::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    switch (event->type()) {
    case QEvent::FocusIn:
        if (!EntersControl(event))
            break;
        if (edit)
            EditEnter(edit);
        else if (watched == m_comboBox1)
            m_hints.ShowHintLater(QStringLiteral("Редагування"));
        break;
    case QEvent::FocusOut: {
        // Only leaving the control counts; its own list popping up or another window (a message
        // box among them) taking the focus is not leaving it.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
            break;
        if (watched == m_comboBox1)
            ComboBox1Exit();
        else if (edit == m_middleEdit)
            MiddleEditExit();
        else if (edit == m_sigmaEdit)
            SigmaEditExit();
        else if (edit == m_sigmaEdit2)
            SigmaEdit2Exit();
        break;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (edit == m_middleEdit)
            MiddleEditKeyDown(key);
        else if (edit == m_sigmaEdit)
            SigmaEditKeyDown(key);
        else if (edit == m_sigmaEdit2)
            SigmaEdit2KeyDown(key);
        break;
    }
    default:
        break;
    }
    return QGroupBox::eventFilter(watched, event);
}
