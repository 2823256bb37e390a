#pragma once

#include "model/Messenger.h"

#include <QString>
#include <QStringList>
#include <cmath>
#include <gtest/gtest.h>
#include <optional>

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

    // Answered from buttonChoices (an index into buttons); the last button when that queue is empty.
    int AskChoice(const QString& question, const QStringList& buttons) override
    {
        questions.append(question);
        choiceButtons.append(buttons);
        if (buttonChoices.isEmpty())
            return int(buttons.size()) - 1;
        return buttonChoices.takeFirst();
    }

    // Answered from textAnswers (nothing: declined); declined when that queue is empty.
    std::optional<QString> AskText(const QString& question, const QString& initial = QString()) override
    {
        (void)initial;
        textQuestions.append(question);
        if (textAnswers.isEmpty())
            return std::nullopt;
        return textAnswers.takeFirst();
    }

    QStringList messages;
    QStringList questions;
    QStringList textQuestions; // every AskText, in order
    QList<std::optional<QString>> textAnswers;
    QList<bool> answers;
    QList<Answer> choices;
    QList<int> buttonChoices;
    QList<QStringList> choiceButtons; // the buttons of every AskChoice, in order
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
