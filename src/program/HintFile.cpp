#include "program/HintFile.h"

#include "model/DocumentLines.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>

namespace {

// Lines end at CR LF, LF or a lone CR, as hand-edited files mix them.
QStringList SplitLines(const QByteArray& bytes)
{
    QStringDecoder decoder("windows-1251");
    return SplitTextLines(QString(decoder(bytes)));
}

bool IsKeyLine(const QString& line)
{
    return line.startsWith(u'#');
}

// Reads the four numbers from line index on; false when one is missing or not a whole number.
bool ReadGeometry(const QStringList& lines, qsizetype index, HintRecord& record)
{
    int numbers[4];
    int count = 0;
    for (; index < lines.size() && count < 4; ++index) {
        if (IsKeyLine(lines[index]))
            return false;
        const QStringList tokens = lines[index].split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        for (const QString& token : tokens) {
            bool ok = false;
            numbers[count] = token.toInt(&ok);
            if (!ok)
                return false;
            if (++count == 4)
                break;
        }
    }
    if (count < 4)
        return false;
    record.Left = numbers[0];
    record.Top = numbers[1];
    record.Width = numbers[2];
    record.Height = numbers[3];
    return true;
}

} // namespace

HintLookup FindHint(const QByteArray& bytes, const QString& key)
{
    const QStringList lines = SplitLines(bytes);
    const QString keyLine = u'#' + key;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i] != keyLine)
            continue;
        HintLookup result;
        qsizetype line = i + 1;
        if (line >= lines.size()) {
            result.Status = HintStatus::Unterminated;
            return result;
        }
        QString text = lines[line++]; // the first text line is text whatever it holds, "%" included
        bool terminated = false;
        for (; line < lines.size(); ++line) {
            if (lines[line].trimmed() == u"%") {
                terminated = true;
                ++line;
                break;
            }
            text += HintLineBreak + lines[line];
        }
        if (!terminated) {
            result.Status = HintStatus::Unterminated;
            return result;
        }
        result.Status = HintStatus::Found;
        result.Record.Text = text;
        if (!ReadGeometry(lines, line, result.Record)) {
            result.Record = HintRecord { .Text = text, .DefaultGeometry = true };
        }
        return result;
    }
    return {};
}

HintLookup ReadHint(const QString& path, const QString& key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxHintFileSize)
        return { HintStatus::CannotOpen, {} };
    return FindHint(file.readAll(), key);
}

QStringList HintKeys(const QByteArray& bytes)
{
    QStringList keys;
    for (const QString& line : SplitLines(bytes)) {
        if (IsKeyLine(line))
            keys.append(line.mid(1));
    }
    return keys;
}

QString DisplayText(const QString& text)
{
    QString shown = text;
    shown.replace(HintLineBreak, QStringLiteral("\n"));
    return shown;
}

HintPlacement PlaceHint(const HintRecord& record, const QRect& desktop, QSize buttonSize)
{
    const int minWidth = buttonSize.width() + 20;
    const int minHeight = ToolFrameHeight + buttonSize.height() + 40;
    const int width = std::clamp(record.Width, minWidth, std::max(minWidth, desktop.width()));
    const int height = std::clamp(record.Height, minHeight, std::max(minHeight, desktop.height()));

    HintPlacement placement;
    if (record.Left < 0 || record.Top < 0) {
        placement.Frame = QRect(
            desktop.x() + (desktop.width() - width) / 2, desktop.y() + (desktop.height() - height) / 2, width, height);
    } else {
        const int left = std::clamp(record.Left, desktop.left(), std::max(desktop.left(), desktop.right() + 1 - width));
        const int top = std::clamp(record.Top, desktop.top(), std::max(desktop.top(), desktop.bottom() + 1 - height));
        placement.Frame = QRect(left, top, width, height);
    }
    placement.Client = QSize(width, height - ToolFrameHeight);
    placement.Button = QPoint(width / 2 - buttonSize.width() / 2, height - buttonSize.height() - 30);
    placement.Text = QPoint(5, 7);
    return placement;
}
