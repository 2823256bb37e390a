#include "program/LaboratoryNames.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <memory>

namespace {

const QString fullNameKey = QStringLiteral("Laboratory/FullName");
const QString shortNameKey = QStringLiteral("Laboratory/ShortName");

QString readName(const QSettings& user, const QSettings* defaults, const QString& key, const QString& fallback)
{
    const QString own = user.value(key).toString().trimmed();
    if (!own.isEmpty())
        return own;
    if (defaults) {
        const QString delivered = defaults->value(key).toString().trimmed();
        if (!delivered.isEmpty())
            return delivered;
    }
    return fallback;
}

} // namespace

LaboratoryNames ReadLaboratoryNames(const QString& defaultsFile)
{
    const QSettings user(QStringLiteral("Meridan"), QStringLiteral("meridan"));
    std::unique_ptr<QSettings> defaults;
    if (!defaultsFile.isEmpty() && QFileInfo::exists(defaultsFile))
        defaults = std::make_unique<QSettings>(defaultsFile, QSettings::IniFormat);
    LaboratoryNames names;
    names.FullName = readName(user, defaults.get(), fullNameKey, QStringLiteral("Лабораторія"));
    names.ShortName = readName(user, defaults.get(), shortNameKey, QString());
    return names;
}

QString LaboratoryDefaultsFile(const QString& programFolder)
{
    // Beside the program when installed; the repository's data folder when run from the build tree.
    const QDir folder(programFolder);
    for (const QString& candidate : { QStringLiteral("data/meridan.ini"), QStringLiteral("meridan.ini"),
             QStringLiteral("../../data/meridan.ini"), QStringLiteral("../data/meridan.ini") }) {
        const QString path = folder.filePath(candidate);
        if (QFileInfo::exists(path))
            return QDir::cleanPath(path);
    }
    return QString();
}
