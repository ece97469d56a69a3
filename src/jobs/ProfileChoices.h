// The parameter choices a conversion uses for one profile. A choice stored in
// the profile's settings section always wins; a choice never stored (every
// profile of a fresh installation) is taken from the profile's default row in
// the format file, mapped exactly as the settings dialog would store it, and
// only where the format file has no such list does the fixed default apply.
#pragma once

#include <QString>

namespace fw {

class IniFile;

class ProfileChoices {
public:
    ProfileChoices(const IniFile& settings, const IniFile& format, int formatCode);

    // The choice for a "para..." key of the profile's settings section, or
    // fixedDefault when neither the settings nor the format file gives one.
    QString Value(const QString& paraKey, const QString& fixedDefault) const;

    // The profile's "Format" and "FileExt" from the format file.
    QString FormatWord() const;
    QString FileExt() const;

private:
    // The value the settings dialog would store for paraKey after applying
    // the format file's default rows; empty optional when it would store none.
    bool DefaultFromFormatFile(const QString& paraKey, QString* value) const;
    // Item iKey of list listKey, as the dialog's box would show it.
    bool DefaultRowText(const QString& listKey, const QString& rowKey, QString* text) const;

    const IniFile& settings_;
    const IniFile& format_;
    QString section_;
};

}  // namespace fw
