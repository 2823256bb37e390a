#include "ui/Hints.h"

// Hints show nothing yet: the hint files and their window come later; the callers are all in place.

Hints::Hints(QObject* parent)
    : QObject(parent)
{
}

Hints::~Hints() = default;

bool Hints::ShowHint(const QString&, const QString&) { return false; }

bool Hints::ShowExampleHint(const QString&) { return false; }

void Hints::ShowHintLater(const QString&) { }

void Hints::ShowExampleHintLater(const QString&) { }

bool Hints::RepeatLastHint() { return false; }
