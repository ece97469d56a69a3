#include "app/IniFile.h"

// The data is handled as UTF-8 bytes; no wide-character conversion is needed.
// Debian's SimpleIni keeps its template bodies behind SI_IMPLEMENTATION (its
// shared library only instantiates the ICU-converting classes), so this unit
// instantiates the plain byte class itself and links neither the library nor ICU.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdint>
#include <string>

namespace fw {

namespace {

// Settings and format files are a few kilobytes; anything far larger is not
// one of ours and is not loaded into memory.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

enum class LoadState { Missing, Loaded, Unreadable, Binary };

LoadState LoadRaw(const QString& path, QByteArray* raw) {
    raw->clear();
    QFileInfo info(path);
    if (!info.exists()) return info.isSymLink() ? LoadState::Unreadable : LoadState::Missing;
    if (!info.isFile()) return LoadState::Unreadable;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return LoadState::Unreadable;
    if (f.size() > kMaxFileSize) return LoadState::Unreadable;
    *raw = f.read(kMaxFileSize + 1);
    if (raw->size() > kMaxFileSize || f.error() != QFileDevice::NoError) {
        raw->clear();
        return LoadState::Unreadable;
    }
    // SimpleIni stops at a zero byte; a file holding one is not text at all.
    if (raw->contains('\0')) {
        raw->clear();
        return LoadState::Binary;
    }
    return LoadState::Loaded;
}

struct Ini {
    Ini() : ini(/*isUtf8=*/true, /*multiKey=*/false, /*multiLine=*/false) { ini.SetSpaces(false); }
    CSimpleIniA ini;
};

LoadState Load(const QString& path, Ini& ini) {
    QByteArray raw;
    LoadState state = LoadRaw(path, &raw);
    if (state == LoadState::Loaded && ini.ini.LoadData(raw.constData(), size_t(raw.size())) < 0) {
        ini.ini.Reset();
        return LoadState::Unreadable;
    }
    return state;
}

// Names are written between brackets or before '='; characters that would
// end them early or break the line are removed.
std::string CleanName(const QString& name, bool isSection) {
    QString n = name;
    n.remove(QLatin1Char('\r'));
    n.remove(QLatin1Char('\n'));
    n.remove(QLatin1Char('\0'));
    if (isSection)
        n.remove(QLatin1Char(']'));
    else
        n.remove(QLatin1Char('='));
    return n.trimmed().toStdString();
}

std::string CleanValue(const QString& value) {
    QString v = value;
    v.replace(QLatin1Char('\r'), QLatin1Char(' '));
    v.replace(QLatin1Char('\n'), QLatin1Char(' '));
    v.remove(QLatin1Char('\0'));
    return v.toStdString();
}

// An exclusive lock on "<file>.lock", held for one read-modify-write. flock
// also excludes other open descriptions in the same process, so threads are
// serialised as well as processes, and a crashed holder never leaves a stale lock.
class WriteLock {
  public:
    explicit WriteLock(const QString& path) {
        fd_ = ::open(QFile::encodeName(path + QStringLiteral(".lock")).constData(),
                     O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ >= 0) {
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~WriteLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

  private:
    int fd_ = -1;
};

template <typename Change>
bool Modify(const QString& path, Change change) {
    if (path.isEmpty()) return false;
    WriteLock lock(path);
    Ini ini;
    LoadState state = Load(path, ini);
    if (state == LoadState::Unreadable) return false;  // never replace what we cannot read
    if (state == LoadState::Binary) {
        const QString kept = path + QStringLiteral(".damaged");
        QFile::remove(kept);
        if (!QFile::copy(path, kept)) return false;
    }
    change(ini.ini);
    std::string out;
    if (ini.ini.Save(out) < 0) return false;
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(out.data(), qint64(out.size())) != qint64(out.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace

IniFile::IniFile(const QString& path) : path_(path) {}

bool IniFile::ParseInteger(const QString& text, int* value) {
    QString t = text.trimmed();
    bool ok = false;
    qint64 v = 0;
    if (t.startsWith(QLatin1Char('$'))) {
        const QString digits = t.mid(1);
        if (digits.isEmpty() || digits.size() > 8 || digits.startsWith(QLatin1Char('+')) ||
            digits.startsWith(QLatin1Char('-')))
            return false;
        v = qint64(qint32(digits.toUInt(&ok, 16)));
    } else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const QString digits = t.mid(2);
        if (digits.isEmpty() || digits.size() > 8 || digits.startsWith(QLatin1Char('+')) ||
            digits.startsWith(QLatin1Char('-')))
            return false;
        // Hexadecimal covers the whole 32-bit pattern, so $FFFFFFFF is -1.
        v = qint64(qint32(digits.toUInt(&ok, 16)));
    } else {
        for (int i = 0; i < t.size(); ++i) {
            const QChar c = t.at(i);
            if (!(c.isDigit() && c.unicode() < 128) && !(i == 0 && (c == u'-' || c == u'+')))
                return false;
        }
        v = t.toLongLong(&ok, 10);
        if (ok && (v < INT32_MIN || v > INT32_MAX)) ok = false;
    }
    if (!ok) return false;
    *value = int(v);
    return true;
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
    Ini ini;
    if (Load(path_, ini) != LoadState::Loaded) return def;
    const char* v =
        ini.ini.GetValue(CleanName(section, true).c_str(), CleanName(key, false).c_str(), nullptr);
    if (!v) return def;
    return QString::fromUtf8(v).left(kMaxValueLength);
}

int IniFile::ReadInteger(const QString& section, const QString& key, int def) const {
    int v = def;
    if (!ParseInteger(ReadString(section, key, QString()), &v)) return def;
    return v;
}

bool IniFile::ReadBool(const QString& section, const QString& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool IniFile::ValueExists(const QString& section, const QString& key) const {
    Ini ini;
    if (Load(path_, ini) != LoadState::Loaded) return false;
    return ini.ini.GetValue(CleanName(section, true).c_str(), CleanName(key, false).c_str(),
                            nullptr) != nullptr;
}

bool IniFile::SectionExists(const QString& section) const {
    Ini ini;
    if (Load(path_, ini) != LoadState::Loaded) return false;
    return ini.ini.GetSection(CleanName(section, true).c_str()) != nullptr;
}

QStringList IniFile::ReadSection(const QString& section) const {
    Ini ini;
    if (Load(path_, ini) != LoadState::Loaded) return {};
    CSimpleIniA::TNamesDepend keys;
    ini.ini.GetAllKeys(CleanName(section, true).c_str(), keys);
    keys.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList out;
    for (const auto& k : keys) out.append(QString::fromUtf8(k.pItem));
    return out;
}

bool IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    return WriteValues(section, {{key, value}});
}

bool IniFile::WriteInteger(const QString& section, const QString& key, int value) {
    return WriteString(section, key, QString::number(value));
}

bool IniFile::WriteBool(const QString& section, const QString& key, bool value) {
    return WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool IniFile::WriteValues(const QString& section, const QList<QPair<QString, QString>>& pairs) {
    const std::string sec = CleanName(section, true);
    return Modify(path_, [&](CSimpleIniA& ini) {
        for (const auto& [key, value] : pairs) {
            const std::string k = CleanName(key, false);
            if (k.empty()) continue;
            ini.SetValue(sec.c_str(), k.c_str(), CleanValue(value).c_str(), nullptr, true);
        }
    });
}

bool IniFile::EraseSection(const QString& section) {
    const std::string sec = CleanName(section, true);
    return Modify(path_, [&](CSimpleIniA& ini) { ini.Delete(sec.c_str(), nullptr); });
}

}  // namespace fw
