#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The files delivered with the program: the example list, the hint files and the splash text.
// They live in the program's data folder: beside the program in the build, or in the installed
// share/meridan folder.

inline const QString ExampleListFileName = QStringLiteral("demo_path.txt");
inline const QString GeneralHintFileName = QStringLiteral("demo_err.txt");
inline const QString SplashTextFileName = QStringLiteral("demo_about.txt");

// The folder that holds "demo_path.txt": the program's own folder, else ../share/meridan from it;
// the program's folder when neither has the file. Always absolute, without a trailing separator.
QString ProgramDataFolder();
QString DataFolderFor(const QString& programFolder); // the rule above for a given program folder

// The lines of a Windows-1251 text file; nullopt when it cannot be read (or is implausibly large).
std::optional<QStringList> ReadTextLines(const QString& path);

// The example list: one path without extension per line, blank lines dropped, "\" read as "/".
// Relative paths are made absolute against folder.
std::optional<QStringList> ReadExampleList(const QString& folder);
QString ResolveExamplePath(const QString& folder, const QString& entry);

// The splash text: every line followed by LF CR.
QString SplashText(const QStringList& lines);

// Every key the program asks of the general hint file.
const QStringList& GeneralHintKeys();

// Every key the program can ask of an example's hint file for a document of this kind
// (subgroupSize 0 for individual values): "Початок", "Обчислити", "Відхилення", "Вкладка N" for the
// table and every chart page the document has, and "Детальніше K на вкладці N" for its chart pages.
QStringList ExampleHintKeys(int subgroupSize);
