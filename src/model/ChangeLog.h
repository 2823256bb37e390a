#pragma once

#include <QString>
#include <vector>

// One entry of the change log: when (local time with its offset, ISO 8601), who (the operating
// system's user name), what changed, the reason the analyst gave (empty when none was asked), and
// the hash that chains it to the entry before.
struct ChangeLogEntry {
    QString Time;
    QString User;
    QString Change;
    QString Reason;
    QString Hash; // SHA-256, lower-case hex
    friend bool operator==(const ChangeLogEntry&, const ChangeLogEntry&) = default;
};

// The change log of a document. Entries are only ever appended; each one's hash is taken over the
// hash of the entry before and its own text, so an edit of a stored log outside the program breaks
// the chain from that entry on.
class ChangeLog {
public:
    const std::vector<ChangeLogEntry>& Entries() const { return m_entries; }
    int Size() const { return int(m_entries.size()); }
    bool Empty() const { return m_entries.empty(); }

    // Appends an entry stamped now by the current user.
    void Append(const QString& change, const QString& reason = QString());
    // Appends an entry as given, with its hash computed here.
    void AppendAt(const QString& time, const QString& user, const QString& change, const QString& reason);
    // An entry as read from a file, hash included; the chain is checked by Verify.
    void AppendStored(ChangeLogEntry entry) { m_entries.push_back(std::move(entry)); }
    void Clear() { m_entries.clear(); }

    // The number of leading entries whose hashes hold: Size() when the whole chain holds.
    int VerifiedCount() const;
    bool Verified() const { return VerifiedCount() == Size(); }

    // The hash an entry must carry after an entry with hash previous.
    static QString EntryHash(const QString& previous, const ChangeLogEntry& entry);
    static QString CurrentUser(); // the operating system's user name
    static QString CurrentTime(); // local time with its offset, to the second

private:
    std::vector<ChangeLogEntry> m_entries;
};
