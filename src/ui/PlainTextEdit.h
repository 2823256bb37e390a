#pragma once

#include <QPlainTextEdit>

class QKeyEvent;
class QMimeData;

// A QPlainTextEdit that survives a paste from an empty clipboard. Under X11 with no clipboard
// owner Qt hands the text control no mime data at all, and QPlainTextEdit dereferences it.
class PlainTextEdit final : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};
