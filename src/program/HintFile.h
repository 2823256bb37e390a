#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

// The keyed hint files: "demo_err.txt" for the commands and one "<example>.txt" per example.
// A record is "#Key", the first text line, further lines up to a line that trims to "%", then
// Left, Top, Width and Height as whole numbers separated by blanks or line breaks.

struct HintRecord {
    static constexpr int DefaultWidth = 348; // the message window's design size
    static constexpr int DefaultHeight = 109;

    QString Text; // lines joined by LF CR
    int Left = -1; // negative Left or Top: centred on the desktop
    int Top = -1;
    int Width = DefaultWidth;
    int Height = DefaultHeight;
    bool DefaultGeometry = false; // the numbers were missing or not whole: centred at the design size

    friend bool operator==(const HintRecord&, const HintRecord&) = default;
};

enum class HintStatus {
    Found,
    KeyMissing, // nothing to show, as for a key the file does not hold
    CannotOpen,
    Unterminated, // the record has no "%" line before the end of the file: not shown
};

struct HintLookup {
    HintStatus Status = HintStatus::KeyMissing;
    HintRecord Record;
};

// The line break of assembled texts: LF then CR.
inline const QString HintLineBreak = QStringLiteral("\n\r");

// The first record of key in the file's bytes (Windows-1251).
HintLookup FindHint(const QByteArray& bytes, const QString& key);

// The same from a file; CannotOpen when it cannot be read or is larger than MaxHintFileSize.
HintLookup ReadHint(const QString& path, const QString& key);
constexpr qint64 MaxHintFileSize = 4 * 1024 * 1024;

// Every key of the file, in file order, repeated keys included (for checking delivered files).
QStringList HintKeys(const QByteArray& bytes);

// The text as a label shows it: one line break per LF CR.
QString DisplayText(const QString& text);

// Where the message window and its parts go.
struct HintPlacement {
    QRect Frame; // outer rectangle of the window
    QSize Client; // the client area under the tool-window title
    QPoint Button; // top-left of ButtonOK in client coordinates
    QPoint Text; // top-left of MessageText
};

// The height a tool-window title and frame take from the outer height.
constexpr int ToolFrameHeight = 25;

// The outer size is the record's Width x Height; negative Left or Top centres the window on the
// desktop, otherwise its top-left corner is Left, Top. The button is centred (halves truncated)
// and its top is Height - button height - 30. A size beyond the desktop or too small for the
// button is brought into range, and a window placed off the desktop is moved back onto it, so a
// mistyped record still gives a window the analyst can close.
HintPlacement PlaceHint(const HintRecord& record, const QRect& desktop, QSize buttonSize);
