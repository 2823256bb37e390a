#pragma once

#include <QObject>
#include <QString>

// The keyed hint messages every command and many controls ask for. The windows call only this;
// it decides whether and how a hint shows.
class Hints : public QObject {
    Q_OBJECT
public:
    explicit Hints(QObject* parent = nullptr);
    ~Hints() override;

    // The general hint file when fileName is empty; true when a hint was shown.
    bool ShowHint(const QString& key, const QString& fileName = QString());
    bool ShowExampleHint(const QString& key); // from the current example's hint file
    void ShowHintLater(const QString& key); // after the current event has finished
    void ShowExampleHintLater(const QString& key);
    bool RepeatLastHint(); // F1

    bool HintsEnabled() const { return m_hintsEnabled; }
    void SetHintsEnabled(bool enabled) { m_hintsEnabled = enabled; }

private:
    bool m_hintsEnabled = true;
};
