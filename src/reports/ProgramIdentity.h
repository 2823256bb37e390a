#pragma once

#include <QString>

// Which program made a result, so that a printed validation can be traced to the binary that ran.
struct ProgramIdentity {
    QString Version;
    QString Commit; // "unknown" when not built from a git checkout
    QString BuildDate;
    QString OperatingSystem;
    QString BinarySha256; // of the running executable; empty when it cannot be read
    QString RunDate; // when the identity was taken, local time
};

// The identity of the running program, taken now.
ProgramIdentity CurrentProgramIdentity();

// "version (commit)", or the version alone when the commit is unknown; cheap, unlike the identity.
QString ProgramVersionLine();

// SHA-256 of a file in lower-case hex; empty when it cannot be read.
QString FileSha256(const QString& path);
