// A private configuration and home folder for one test, with the global
// object created over it.
#pragma once

#include "app/GlobalUnit.h"
#include "common/TestSupport.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <memory>

namespace fw::test {

class EnvScope {
  public:
    EnvScope(const char* name, const QString& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value.toLocal8Bit());
    }
    ~EnvScope() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    EnvScope(const EnvScope&) = delete;
    EnvScope& operator=(const EnvScope&) = delete;

  private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

struct AppEnv {
    TempDir dir;
    bool made = QDir().mkpath(dir.File("home")) && QDir().mkpath(dir.File("config"));
    EnvScope config{"XDG_CONFIG_HOME", dir.File("config")};
    EnvScope home{"HOME", dir.File("home")};
    std::unique_ptr<GlobalObjectScope> global = std::make_unique<GlobalObjectScope>();

    QString Settings() const { return GlobalObject().SettingsFileName(); }
};

inline void WriteText(const QString& path, const QByteArray& data) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(data);
}

inline QByteArray ReadText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace fw::test
