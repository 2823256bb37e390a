#pragma once

#include <QString>

// The laboratory's full and short names: shown in the main window, printed by the reports.
struct LaboratoryNames {
    QString FullName;
    QString ShortName;
    QString Caption() const { return ShortName.isEmpty() ? FullName : ShortName; } // AAA1
};

// The user's settings (organisation "Meridan", application "meridan", keys "Laboratory/FullName" and
// "Laboratory/ShortName"), each falling back to the same key of the INI file defaultsFile (the one
// delivered beside the program), and to built-in texts when neither has it.
LaboratoryNames ReadLaboratoryNames(const QString& defaultsFile);

// The settings file delivered in the program's data folder.
QString LaboratoryDefaultsFile(const QString& programFolder);
