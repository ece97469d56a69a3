// Access to an INI file (the settings file and the format file). Every call
// opens the file, reads or writes, and closes it again; nothing is cached, so
// a value written by one window is seen at once by the next reader.
//
// Rules: section and key names match without regard to case; blanks around
// keys and values are dropped; a value read is cut to 2047 characters; an
// absent key yields the caller's default while a present empty value yields
// the empty text; integers are decimal or hexadecimal ("0x" or "$"), anything
// else reads as the default; booleans are integers (non-zero is true).
//
// A file that is missing, unreadable, binary, absurdly large or a directory
// reads as empty. Writes lock a side file ("<file>.lock"), re-read the file,
// change it and replace it atomically (temporary file + rename), so two
// writers in different processes never lose each other's keys and a crash
// never leaves a half-written file. A file that cannot be read is never
// replaced; a binary file is kept as "<file>.damaged" before it is rewritten.
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace fw {

class IniFile {
  public:
    explicit IniFile(const QString& path);

    const QString& Path() const { return path_; }

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    int ReadInteger(const QString& section, const QString& key, int def) const;
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    bool ValueExists(const QString& section, const QString& key) const;
    bool SectionExists(const QString& section) const;
    // The key names of a section in file order (empty when it is absent).
    QStringList ReadSection(const QString& section) const;

    // Writes return false when the file could not be replaced (the old file
    // is then left exactly as it was). Line breaks in values are turned into
    // blanks: a value must never start a new line of the file.
    bool WriteString(const QString& section, const QString& key, const QString& value);
    bool WriteInteger(const QString& section, const QString& key, int value);
    bool WriteBool(const QString& section, const QString& key, bool value);
    // Several keys in one locked read-modify-write.
    bool WriteValues(const QString& section, const QList<QPair<QString, QString>>& pairs);
    bool EraseSection(const QString& section);

    static constexpr int kMaxValueLength = 2047;

    // Integer parsing as the readers use it; false for anything but a whole
    // decimal number or "0x"/"$" hexadecimal that fits 32 bits.
    static bool ParseInteger(const QString& text, int* value);

  private:
    QString path_;
};

}  // namespace fw
