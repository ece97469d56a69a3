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
