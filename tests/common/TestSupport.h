#pragma once

#include "model/Messenger.h"

#include <QString>
#include <QStringList>
#include <cmath>
#include <gtest/gtest.h>

// Records every message and answers questions from a queue (No when the queue is empty).
class RecordingMessenger final : public Messenger {
public:
    void ShowMessage(const QString& text) override { messages.append(text); }
    bool AskYesNo(const QString& question) override
    {
        questions.append(question);
        if (answers.isEmpty())
            return false;
        return answers.takeFirst();
    }
    // Answered from choices; No when that queue is empty.
    Answer AskYesNoCancel(const QString& question) override
    {
        questions.append(question);
        if (choices.isEmpty())
            return Answer::No;
        return choices.takeFirst();
    }

    QStringList messages;
    QStringList questions;
    QList<bool> answers;
    QList<Answer> choices;
};

// Relative comparison for computed values checked against published figures.
inline ::testing::AssertionResult FuzzyCompare(double actual, double expected, double relative)
{
    const double scale = std::max(std::fabs(expected), 1e-300);
    if (std::fabs(actual - expected) <= relative * scale)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual << " differs from " << expected << " by more than " << relative
                                         << " relative";
}

// Path of a file of the reference data sets kept with the tests.
QString ReferenceDataPath(const QString& name);

// Lets gtest print QStrings readably.
void PrintTo(const QString& text, std::ostream* os);
