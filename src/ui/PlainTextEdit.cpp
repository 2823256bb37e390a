#include "ui/PlainTextEdit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>

void PlainTextEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste) && !QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard)) {
        event->accept(); // nothing to paste
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
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
