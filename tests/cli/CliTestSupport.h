#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

// One run of the built meridan-cli as users run it.
struct CliResult {
    int exitCode = -1; // -1 when it crashed or hung
    QByteArray out;
    QString err;
    QJsonObject json; // standard output when it is a JSON object
    QString Text() const { return QString::fromUtf8(out); }
};

CliResult RunMeridanCli(const QStringList& args);
