#include "program/ProgramFiles.h"

#include "model/DocumentLines.h"
#include "program/HintFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

QString DataFolderFor(const QString& programFolder)
{
    const QDir program(programFolder);
    if (program.exists(ExampleListFileName))
        return program.absolutePath();
    const QDir installed(program.absoluteFilePath(QStringLiteral("../share/meridan")));
    if (installed.exists(ExampleListFileName))
        return QDir::cleanPath(installed.absolutePath());
    return program.absolutePath();
}

QString ProgramDataFolder()
{
    return DataFolderFor(QCoreApplication::applicationDirPath());
}

std::optional<QStringList> ReadTextLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxHintFileSize)
        return std::nullopt;
    QStringDecoder decoder("windows-1251");
    return SplitTextLines(QString(decoder(file.readAll())));
}

QString ResolveExamplePath(const QString& folder, const QString& entry)
{
    QString path = entry.trimmed();
    path.replace(u'\\', u'/');
    if (QDir::isRelativePath(path))
        path = QDir(folder).filePath(path);
    return QDir::cleanPath(path);
}

std::optional<QStringList> ReadExampleList(const QString& folder)
{
    const auto lines = ReadTextLines(QDir(folder).filePath(ExampleListFileName));
    if (!lines)
        return std::nullopt;
    // Line i is example i + 1: a blank line stays, as an entry that names no document.
    QStringList examples;
    for (const QString& line : *lines)
        examples.append(line.trimmed().isEmpty() ? QString() : ResolveExamplePath(folder, line));
    return examples;
}

QString SplashText(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + HintLineBreak;
    return text;
}

const QStringList& GeneralHintKeys()
{
    static const QStringList keys { QStringLiteral("Help"), QStringLiteral("Вихід"),
        QStringLiteral("Вставити розділювач"), QStringLiteral("Вилучити точку"), QStringLiteral("Вилучити розділювач"),
        QStringLiteral("Вилучити останні"), QStringLiteral("Зміни"), QStringLiteral("Редагування"),
        QStringLiteral("Роздрукувати"), QStringLiteral("Виводити повідомлення"), QStringLiteral("Приклади") };
    return keys;
}

QStringList ExampleHintKeys(int subgroupSize)
{
    QStringList keys { QStringLiteral("Початок"), QStringLiteral("Обчислити"), QStringLiteral("Відхилення"),
        QStringLiteral("Вкладка 1") };
    // Tabs count from 0 with the header page; the chart page of slot s is tab s + 2.
    QList<int> slots { 0, 2 };
    if (subgroupSize > 0) {
        slots = { 0, 2, 3, 4, 5 };
        if (subgroupSize <= 10)
            slots.insert(1, 1);
    }
    for (int slot : slots) {
        const QString tab = QString::number(slot + 2);
        keys.append(QStringLiteral("Вкладка ") + tab);
        for (const char* kind : { "1", "2" })
            keys.append(QStringLiteral("Детальніше ") + QLatin1String(kind) + QStringLiteral(" на вкладці ") + tab);
    }
    return keys;
}
