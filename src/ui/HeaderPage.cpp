#include "ui/HeaderPage.h"

#include "actions/DocumentActions.h"
#include "ui/FocusEntry.h"
#include "ui/Hints.h"
#include "ui/PlainTextEdit.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QScopedValueRollback>

namespace {

constexpr int HeaderTextLimit = 78;
constexpr int UnitsLimit = 10;

struct HeaderFieldControls {
    const char* CheckBox;
    const char* Edit;
    const char* Caption;
};
// In the order of HeaderField.
const HeaderFieldControls headerControls[HeaderFieldCount] = {
    { "CheckBox4", "Edit7", "Оператор:" },
    { "CheckBox12", "Edit18", "Вимірюваний параметр:" },
    { "CheckBox5", "Edit8", "Зразок (зразки):" },
    { "CheckBox6", "Edit12", "Метод підготовки проби:" },
    { "CheckBox7", "Edit11", "Метод виконання вимірювань:" },
    { "CheckBox8", "Edit10", "Прилад:" },
    { "CheckBox9", "Edit9", "Детектор:" },
};

// "00", the locale's date separator, "00", the separator, "0000"; a separator that is itself a
// mask character is escaped.
QString fillDateMask()
{
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    QChar separator = QLatin1Char('.');
    for (const QChar c : format) {
        if (!c.isLetter()) {
            separator = c;
            break;
        }
    }
    QString sep = separator;
    if (QStringLiteral("AaNnXx90Dd#HhBb><!\\[]{}").contains(separator))
        sep.prepend(QLatin1Char('\\'));
    return QStringLiteral("00") + sep + QStringLiteral("00") + sep + QStringLiteral("0000");
}

} // namespace

HeaderPage::HeaderPage(MeasurementDocument& document, Hints& hints, QWidget* page, QObject* parent)
    : QObject(parent)
    , m_document(document)
    , m_hints(hints)
{
    build(page);
}

void HeaderPage::build(QWidget* page)
{
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(16, 12, 16, 12);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(6);
    grid->setColumnStretch(1, 1);
    int row = 0;
    auto lineEdit = [page](const char* name, int limit) {
        auto* edit = new QLineEdit(page);
        edit->setObjectName(QLatin1String(name));
        edit->setMaxLength(limit);
        return edit;
    };

    m_fillDate = lineEdit("MaskEdit1", 10);
    m_fillDate->setInputMask(fillDateMask());
    m_fillDate->setFixedWidth(110);
    grid->addWidget(new QLabel(QStringLiteral("Дата заповнення:"), page), row, 0);
    grid->addWidget(m_fillDate, row++, 1, Qt::AlignLeft);
    m_tableName = lineEdit("TableName", HeaderTextLimit);
    grid->addWidget(new QLabel(QStringLiteral("Назва таблиці:"), page), row, 0);
    grid->addWidget(m_tableName, row++, 1);

    for (int f = 0; f < HeaderFieldCount; ++f) {
        auto* check = new QCheckBox(QString::fromUtf8(headerControls[f].Caption), page);
        check->setObjectName(QLatin1String(headerControls[f].CheckBox));
        QLineEdit* edit = lineEdit(headerControls[f].Edit, HeaderTextLimit);
        m_headerChecks[size_t(f)] = check;
        m_headerEdits[size_t(f)] = edit;
        grid->addWidget(check, row, 0);
        grid->addWidget(edit, row++, 1);
        const auto field = HeaderField(f);
        connect(check, &QCheckBox::clicked, this, [this, field, edit](bool checked) {
            if (m_actions)
                m_actions->SetHeaderPresent(field, checked);
            else
                m_document.SetHeaderPresent(field, checked);
            edit->setEnabled(checked);
        });
        connect(edit, &QLineEdit::textEdited, this, [this, field](const QString& text) {
            if (m_actions)
                m_actions->SetHeaderText(field, text);
            else
                m_document.SetHeaderText(field, text);
        });
    }

    m_units = lineEdit("Edit1", UnitsLimit);
    m_units->setFixedWidth(110);
    grid->addWidget(new QLabel(QStringLiteral("Одиниці вимірювання:"), page), row, 0);
    grid->addWidget(m_units, row++, 1, Qt::AlignLeft);

    m_additionalCheck = new QCheckBox(QStringLiteral("Додаткова інформація:"), page);
    m_additionalCheck->setObjectName(QStringLiteral("CheckBox10"));
    m_memo = new PlainTextEdit(page);
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setTabChangesFocus(true);
    grid->addWidget(m_additionalCheck, row, 0, Qt::AlignTop);
    grid->addWidget(m_memo, row++, 1);
    grid->setRowStretch(row - 1, 1);

    connect(m_fillDate, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (m_actions)
            m_actions->SetFillDate(text);
        else
            m_document.SetFillDate(text);
    });
    connect(m_tableName, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (m_actions)
            m_actions->SetTableName(text);
        else
            m_document.SetTableName(text);
    });
    connect(m_units, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (m_actions)
            m_actions->SetUnits(text);
        else
            m_document.SetUnits(text);
        Q_EMIT unitsChanged();
    });
    connect(m_additionalCheck, &QCheckBox::clicked, this, [this](bool checked) {
        if (m_actions)
            m_actions->SetAdditionalInfoPresent(checked);
        else
            m_document.SetAdditionalInfoPresent(checked);
        m_memo->setEnabled(checked);
    });
    connect(m_memo, &QPlainTextEdit::textChanged, this, [this] {
        if (m_fillingHeader)
            return;
        const QStringList lines = m_memo->toPlainText().split(QLatin1Char('\n'));
        if (m_actions)
            m_actions->SetAdditionalInfo(lines);
        else
            m_document.SetAdditionalInfo(lines);
    });

    // Entering an edit (clicking the date) shows the editing hint once the event is over.
    for (QWidget* edit : std::initializer_list<QWidget*> { m_tableName, m_units, m_memo })
        edit->installEventFilter(this);
    for (QLineEdit* edit : m_headerEdits)
        edit->installEventFilter(this);
    m_fillDate->installEventFilter(this);
}

void HeaderPage::SetActions(DocumentActions* actions)
{
    if (m_actions)
        disconnect(m_actions, nullptr, this, nullptr);
    m_actions = actions;
    if (actions) {
        connect(actions, &DocumentActions::historyMoved, this, [this] {
            ShowHeaderFields();
            Q_EMIT unitsChanged();
        });
    }
}

void HeaderPage::ShowHeaderFields()
{
    const MeasurementDocument& doc = m_document;
    const QScopedValueRollback<bool> guard(m_fillingHeader, true);
    m_fillDate->setText(doc.FillDate());
    m_tableName->setText(doc.TableName());
    for (int f = 0; f < HeaderFieldCount; ++f) {
        const HeaderEntry& entry = doc.Header(HeaderField(f));
        m_headerChecks[size_t(f)]->setChecked(entry.Present);
        m_headerEdits[size_t(f)]->setText(entry.Text);
        m_headerEdits[size_t(f)]->setEnabled(entry.Present);
    }
    m_additionalCheck->setChecked(doc.AdditionalInfoPresent());
    m_memo->setPlainText(doc.AdditionalInfo().join(QLatin1Char('\n')));
    m_memo->setEnabled(doc.AdditionalInfoPresent());
    m_units->setText(doc.Units());
}

bool HeaderPage::eventFilter(QObject* watched, QEvent* event)
{
    // The date asks for the editing hint when clicked, the other edits when entered.
    if (watched == m_fillDate ? event->type() == QEvent::MouseButtonPress : EntersControl(event))
        m_hints.ShowHintLater(QStringLiteral("Редагування"));
    return QObject::eventFilter(watched, event);
}
