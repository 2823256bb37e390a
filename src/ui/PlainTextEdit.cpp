#include "ui/PlainTextEdit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>

void PlainTextEdit::keyPressEvent(QKeyEvent* event)
{
    if (!event->matches(QKeySequence::Paste)) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    // Pasted here, so Qt's own way, which takes the data unchecked, is never reached. Ctrl+Shift+Insert
    // pastes the selection where the system keeps one, as Qt does.
    QClipboard* clipboard = QGuiApplication::clipboard();
    const bool selection = clipboard->supportsSelection()
        && event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier) && event->key() == Qt::Key_Insert;
    const QMimeData* data = clipboard->mimeData(selection ? QClipboard::Selection : QClipboard::Clipboard);
    if (!isReadOnly() && canInsertFromMimeData(data)) {
        insertFromMimeData(data);
        ensureCursorVisible();
    }
    event->accept();
}

bool PlainTextEdit::canInsertFromMimeData(const QMimeData* source) const
{
    return source && QPlainTextEdit::canInsertFromMimeData(source);
}

void PlainTextEdit::insertFromMimeData(const QMimeData* source)
{
    if (source)
        QPlainTextEdit::insertFromMimeData(source);
}
