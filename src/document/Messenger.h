#pragma once

#include <QString>

// Every message and Yes/No question of the core goes through this, so the program can show
// message boxes and tests can answer without a modal window.
class Messenger {
public:
    virtual ~Messenger() = default;
    virtual void ShowMessage(const QString& text) = 0;
    virtual bool AskYesNo(const QString& question) = 0; // true for Yes
};

// Says nothing and answers No; for documents nobody watches.
class SilentMessenger final : public Messenger {
public:
    void ShowMessage(const QString&) override { }
    bool AskYesNo(const QString&) override { return false; }
};
