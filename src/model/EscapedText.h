#pragma once

#include <QString>
#include <QStringView>
#include <bitset>
#include <optional>

// The characters the file's code page holds: exactly those its 256 bytes read as, control
// characters included.
const std::bitset<0x10000>& CodePageCharacters();

// The escaped form of a text in one line of a document file: nothing the file's code page
// (Windows-1251) cannot hold, no line break and no tab. "\\" stands for a backslash, "\t", "\n"
// and "\r" for a tab and the breaks, and "\u{HEX}" for any other character the code page lacks or
// a control character, by its code point. Texts the code page holds come through unchanged.
QString EscapeText(QStringView text);

// The text back; nothing for a backslash that starts no escape of the list above, or a code point
// past U+10FFFF. A surrogate's code point gives that lone surrogate back, as EscapeText wrote it.
std::optional<QString> UnescapeText(QStringView line);
