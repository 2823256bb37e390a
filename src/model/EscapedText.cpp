#include "model/EscapedText.h"

#include <QStringDecoder>
#include <bitset>

const std::bitset<0x10000>& CodePageCharacters()
{
    static const std::bitset<0x10000> held = [] {
        std::bitset<0x10000> set;
        QByteArray bytes(256, Qt::Uninitialized);
        for (int i = 0; i < 256; ++i)
            bytes[i] = char(i);
        QStringDecoder decoder("windows-1251");
        const QString text = decoder.decode(bytes);
        for (const QChar c : text) {
            if (!c.isSurrogate())
                set.set(c.unicode());
        }
        return set;
    }();
    return held;
}

namespace {

// What an escaped text keeps as it is: the code page's characters but the control characters.
const std::bitset<0x10000>& HeldCharacters()
{
    static const std::bitset<0x10000> held = [] {
        std::bitset<0x10000> set = CodePageCharacters();
        for (char16_t c = 0; c < 0x20; ++c)
            set.reset(c);
        set.reset(0x7F);
        return set;
    }();
    return held;
}

} // namespace

QString EscapeText(QStringView text)
{
    const std::bitset<0x10000>& held = HeldCharacters();
    QString out;
    out.reserve(text.size());
    qsizetype run = 0; // start of the held characters not yet copied
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\' && held.test(c.unicode()))
            continue;
        out += text.sliced(run, i - run);
        run = i + 1;
        switch (c.unicode()) {
        case u'\\':
            out += QLatin1String("\\\\");
            continue;
        case u'\t':
            out += QLatin1String("\\t");
            continue;
        case u'\n':
            out += QLatin1String("\\n");
            continue;
        case u'\r':
            out += QLatin1String("\\r");
            continue;
        default:
            break;
        }
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(c, text[i + 1]);
            ++i;
            run = i + 1;
        }
        out += QLatin1String("\\u{") + QString::number(uint(code), 16).toUpper() + QLatin1Char('}');
    }
    out += text.sliced(run);
    return out;
}

std::optional<QString> UnescapeText(QStringView line)
{
    QString out;
    out.reserve(line.size());
    qsizetype run = 0; // start of the characters not yet copied
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u'\t' || c == u'\r' || c == u'\n')
            return std::nullopt;
        if (c != u'\\')
            continue;
        // Plain characters are copied a run at a time.
        out += line.sliced(run, i - run);
        run = i + 2;
        if (++i >= line.size())
            return std::nullopt;
        switch (line[i].unicode()) {
        case u'\\':
            out += QLatin1Char('\\');
            break;
        case u't':
            out += QLatin1Char('\t');
            break;
        case u'n':
            out += QLatin1Char('\n');
            break;
        case u'r':
            out += QLatin1Char('\r');
            break;
        case u'u': {
            const qsizetype close = line.indexOf(u'}', i);
            if (i + 1 >= line.size() || line[i + 1] != u'{' || close < 0 || close - i - 2 < 1 || close - i - 2 > 6)
                return std::nullopt;
            bool ok = false;
            const uint code = line.mid(i + 2, close - i - 2).toUInt(&ok, 16);
            if (!ok || code > 0x10FFFF)
                return std::nullopt;
            // A lone surrogate is how EscapeText writes one that stood unpaired in the text.
            if (QChar::requiresSurrogates(code))
                out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
            else
                out += QChar(char16_t(code));
            i = close;
            run = close + 1;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    out += line.sliced(run);
    return out;
}
