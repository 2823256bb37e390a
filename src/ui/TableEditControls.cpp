#include "ui/TableEditControls.h"

#include "actions/DocumentActions.h"

#include "model/MeasurementDocument.h"
#include "ui/DataGridView.h"
#include "ui/FocusEntry.h"
#include "ui/Hints.h"
#include "ui/MergeDialogs.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString& editingHintKey()
{
    static const QString key = QStringLiteral("Редагування");
    return key;
}

constexpr int editWidth = 60;
constexpr int rowHeight = 22;
constexpr int rowStep = 24;
constexpr int editHeight = 20;

} // namespace

TableEditControls::TableEditControls(MeasurementDocument& doc, Hints& hints, QWidget* parent)
    : QWidget(parent)
    , m_doc(doc)
    , m_hints(hints)
    // Top-level and application-modal: their CheckBox/Edit names repeat names of the main window.
    , m_dialogs(std::make_unique<MergeDialogs>(doc.messenger(), nullptr))
    , m_decider(*m_dialogs)
{
    m_dialogs->ShowOver(this);
    build();
}

TableEditControls::TableEditControls(MeasurementDocument& doc, Hints& hints, MergeDecider& decider, QWidget* parent)
    : QWidget(parent)
    , m_doc(doc)
    , m_hints(hints)
    , m_decider(decider)
{
    build();
}

TableEditControls::~TableEditControls() = default;

void TableEditControls::build()
{
    setObjectName(QStringLiteral("TableEditControls"));
    resize(777, PanelHeight);

    // Two columns of three operations: insertions on top, then deletions, then the ends of the table.
    constexpr int left = 8;
    constexpr int right = 390;
    constexpr int leftWidth = 300;
    constexpr int rightWidth = 310;
    auto rowTop = [](int row) { return row * rowStep; };
    auto besides
        = [](int x, int width, int row) { return QRect(x + width + 4, row * rowStep + 1, editWidth, editHeight); };

    QPushButton* button2 = addButton(
        "Button2", QStringLiteral("Вставити нову точку за номером"), QRect(left, rowTop(0), leftWidth, rowHeight));
    m_edit13 = addEdit("Edit13", besides(left, leftWidth, 0));
    QPushButton* button4 = addButton("Button4", QStringLiteral("Вставити розділювач перед точкою з номером "),
        QRect(right, rowTop(0), rightWidth, rowHeight));
    m_edit15 = addEdit("Edit15", besides(right, rightWidth, 0));
    QPushButton* button1 = addButton(
        "Button1", QStringLiteral("Вилучити точку за номером"), QRect(left, rowTop(1), leftWidth, rowHeight));
    m_edit6 = addEdit("Edit6", besides(left, leftWidth, 1));
    QPushButton* button3 = addButton(
        "Button3", QStringLiteral("Вилучити розділювач за номером"), QRect(right, rowTop(1), rightWidth, rowHeight));
    m_edit14 = addEdit("Edit14", besides(right, rightWidth, 1));

    // The last two carry their edit in the blank run of their caption.
    const QString appendCaption
        = QStringLiteral("Додати") + QString(16, QLatin1Char(' ')) + QStringLiteral("нових точок");
    const QString removeCaption
        = QStringLiteral("Вилучити останні") + QString(15, QLatin1Char(' ')) + QStringLiteral("точок");
    QPushButton* button6 = addButton("Button6", appendCaption, QRect(left, rowTop(2), leftWidth, rowHeight));
    QPushButton* button7 = addButton("Button7", removeCaption, QRect(right, rowTop(2), rightWidth, rowHeight));
    auto inGap = [](const QPushButton* button) {
        const QString caption = button->text();
        const QFontMetrics metrics(button->font());
        const qsizetype gapStart = caption.indexOf(QStringLiteral("  "));
        qsizetype gapEnd = gapStart;
        while (gapEnd < caption.size() && caption[gapEnd] == QLatin1Char(' '))
            ++gapEnd;
        const int textLeft = (button->width() - metrics.horizontalAdvance(caption)) / 2;
        const int gapLeft = textLeft + metrics.horizontalAdvance(caption.left(gapStart));
        const int gapWidth = metrics.horizontalAdvance(caption.mid(gapStart, gapEnd - gapStart));
        const int width = std::max(32, gapWidth - 6);
        return QRect(button->x() + gapLeft + (gapWidth - width) / 2, button->y() + 1, width, editHeight);
    };
    m_edit16 = addEdit("Edit16", inGap(button6));
    m_edit17 = addEdit("Edit17", inGap(button7));

    connect(button2, &QPushButton::clicked, this, &TableEditControls::Button2Click);
    connect(button4, &QPushButton::clicked, this, &TableEditControls::Button4Click);
    connect(button1, &QPushButton::clicked, this, &TableEditControls::Button1Click);
    connect(button3, &QPushButton::clicked, this, &TableEditControls::Button3Click);
    connect(button6, &QPushButton::clicked, this, &TableEditControls::Button6Click);
    connect(button7, &QPushButton::clicked, this, &TableEditControls::Button7Click);
    // Enter runs the edit's button; Edit6 (delete a point) deliberately does not.
    connect(m_edit13, &QLineEdit::returnPressed, this, &TableEditControls::Button2Click);
    connect(m_edit15, &QLineEdit::returnPressed, this, &TableEditControls::Button4Click);
    connect(m_edit14, &QLineEdit::returnPressed, this, &TableEditControls::Button3Click);
    connect(m_edit16, &QLineEdit::returnPressed, this, &TableEditControls::Button6Click);
    connect(m_edit17, &QLineEdit::returnPressed, this, &TableEditControls::Button7Click);
    for (QLineEdit* edit : { m_edit6, m_edit14, m_edit15, m_edit17 })
        edit->installEventFilter(this);
}

QPushButton* TableEditControls::addButton(const char* name, const QString& caption, const QRect& geometry)
{
    QPushButton* button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

QLineEdit* TableEditControls::addEdit(const char* name, const QRect& geometry)
{
    QLineEdit* edit = new QLineEdit(QStringLiteral("10"), this);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(geometry);
    edit->setMaxLength(12);
    return edit;
}

bool TableEditControls::eventFilter(QObject* watched, QEvent* event)
{
    if (EntersControl(event))
        m_hints.ShowHintLater(editingHintKey());
    return QWidget::eventFilter(watched, event);
}

void TableEditControls::finish(const TableEdit& edit)
{
    if (!edit.Done)
        return;
    if (edit.SelectRow > 0)
        Q_EMIT rowSelectionRequested(edit.SelectRow);
    Q_EMIT tableEdited();
}

void TableEditControls::SelectRow(DataGridView& labels, DataGridView& values, DataGridView& results, int row)
{
    if (row < 1 || row >= values.GridRowCount())
        return;
    const int top = values.TopRow();
    const int visible = values.VisibleRows();
    if (row < top || row >= top + visible) {
        const int lastTop = std::max(1, values.GridRowCount() - visible);
        values.SetTopRow(std::min(row, lastTop));
    }
    values.SelectCell(row, 0);
    results.SelectCell(row, 0);
    labels.SelectCell(row, 1);
}

void TableEditControls::Button2Click()
{
    const QString text = m_edit13->text();
    finish(m_actions ? m_actions->SubmitInsertPoint(text) : SubmitInsertPoint(m_doc, text));
}

void TableEditControls::Button4Click()
{
    m_hints.ShowHint(QStringLiteral("Вставити розділювач"));
    const QString text = m_edit15->text();
    finish(m_actions ? m_actions->SubmitInsertSeparator(text) : SubmitInsertSeparator(m_doc, text));
}

void TableEditControls::Button1Click()
{
    const QString text = m_edit6->text();
    finish(m_actions ? m_actions->SubmitDeletePoint(text) : SubmitDeletePoint(m_doc, text));
    m_hints.ShowHint(QStringLiteral("Вилучити точку"));
}

void TableEditControls::Button3Click()
{
    m_hints.ShowHint(QStringLiteral("Вилучити розділювач"));
    const QString text = m_edit14->text();
    finish(
        m_actions ? m_actions->SubmitDeleteSeparator(text, m_decider) : SubmitDeleteSeparator(m_doc, text, m_decider));
}

void TableEditControls::Button6Click()
{
    const QString text = m_edit16->text();
    finish(m_actions ? m_actions->SubmitAppendPoints(text) : SubmitAppendPoints(m_doc, text));
}

void TableEditControls::Button7Click()
{
    m_hints.ShowHint(QStringLiteral("Вилучити останні"));
    const QString text = m_edit17->text();
    finish(m_actions ? m_actions->SubmitDeleteLastPoints(text) : SubmitDeleteLastPoints(m_doc, text));
}
