#include "ui/NoteDialog.h"

#include "model/Messenger.h"
#include "ui/PlainTextEdit.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

NoteDialog::NoteDialog(Messenger& messenger, QWidget* parent)
    : QDialog(parent)
    , m_messenger(messenger)
{
    setObjectName(QStringLiteral("NoteDialog"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);
    resize(460, 420);

    auto makeText = [this](const char* name) {
        QPlainTextEdit* edit = new PlainTextEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setTabChangesFocus(true);
        connect(edit, &QPlainTextEdit::textChanged, this, [this, edit] { limitText(edit); });
        return edit;
    };
    auto* noteLabel = new QLabel(QStringLiteral("Що сталося:"), this);
    m_note = makeText("NoteEdit");
    noteLabel->setBuddy(m_note);
    auto* actionLabel = new QLabel(QStringLiteral("Коригувальна дія:"), this);
    m_action = makeText("ActionEdit");
    actionLabel->setBuddy(m_action);

    m_exclude = new QCheckBox(QStringLiteral("не враховувати при обчисленні меж"), this);
    m_exclude->setObjectName(QStringLiteral("ExcludeCheckBox"));
    m_reasonLabel = new QLabel(QStringLiteral("Причина:"), this);
    m_reason = new QLineEdit(this);
    m_reason->setObjectName(QStringLiteral("ReasonEdit"));
    m_reason->setMaxLength(PointNoteMaxChars);
    m_reasonLabel->setBuddy(m_reason);
    connect(m_exclude, &QCheckBox::toggled, this, &NoteDialog::excludeToggled);

    m_ok = new QPushButton(QStringLiteral("Гаразд"), this);
    m_ok->setObjectName(QStringLiteral("OkButton"));
    m_ok->setDefault(false);
    m_ok->setAutoDefault(false); // Enter starts a new line of a note, it does not close the dialog
    m_cancel = new QPushButton(QStringLiteral("Скасувати"), this);
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    m_cancel->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &NoteDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &NoteDialog::reject);

    auto* reasonLine = new QHBoxLayout;
    reasonLine->addSpacing(20);
    reasonLine->addWidget(m_reasonLabel);
    reasonLine->addWidget(m_reason, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(noteLabel);
    layout->addWidget(m_note, 1);
    layout->addWidget(actionLabel);
    layout->addWidget(m_action, 1);
    layout->addWidget(m_exclude);
    layout->addLayout(reasonLine);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    excludeToggled(false);
}

QString NoteDialog::Caption(const QString& pointLabel)
{
    return QStringLiteral("Примітка до точки ") + pointLabel;
}

QString NoteDialog::ReasonRequiredMessage()
{
    return QStringLiteral("Вкажіть причину, з якої точку не враховано при обчисленні меж.");
}

void NoteDialog::Fill(const QString& pointLabel, const PointNote& note)
{
    setWindowTitle(Caption(pointLabel));
    m_note->setPlainText(note.Note);
    m_action->setPlainText(note.Action);
    m_exclude->setChecked(note.Excluded());
    m_reason->setText(note.ExcludeReason);
    excludeToggled(note.Excluded());
    m_note->setFocus();
    m_note->moveCursor(QTextCursor::End);
}

PointNote NoteDialog::Result() const
{
    PointNote note;
    note.Note = m_note->toPlainText();
    note.Action = m_action->toPlainText();
    if (m_exclude->isChecked())
        note.ExcludeReason = m_reason->text().trimmed();
    return note;
}

void NoteDialog::accept()
{
    if (m_exclude->isChecked() && m_reason->text().trimmed().isEmpty()) {
        m_messenger.ShowMessage(ReasonRequiredMessage());
        m_reason->setFocus();
        return;
    }
    QDialog::accept();
}

void NoteDialog::limitText(QPlainTextEdit* edit)
{
    const int excess = int(edit->document()->characterCount()) - 1 - PointNoteMaxChars;
    if (excess <= 0)
        return;
    // What was just typed or pasted beyond the limit goes: the characters before the cursor, or
    // the end of the text when the cursor is nearer the start than that.
    QTextCursor cursor = edit->textCursor();
    const int end = std::max(cursor.position(), excess);
    cursor.setPosition(end - excess);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    edit->setTextCursor(cursor);
}

void NoteDialog::excludeToggled(bool ticked)
{
    m_reasonLabel->setEnabled(ticked);
    m_reason->setEnabled(ticked);
    if (ticked && isVisible())
        m_reason->setFocus();
}
