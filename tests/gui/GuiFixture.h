// A main window over a private configuration and home folder, with the
// prompts double answering every box and a power-off that only counts.
#pragma once

#include "app/IniFile.h"
#include "app/WinMain.h"
#include "common/AppTestEnv.h"
#include "common/TestSupport.h"
#include "platform/PowerOff.h"
#include "platform/Prompts.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace fw::test {

class CountingPowerOff : public IPowerOff {
  public:
    bool PowerOff() override {
        ++calls;
        return true;
    }
    int calls = 0;
};

// Processes events until the condition holds or the time is up.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 10000) {
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > timeoutMs) return false;
        QTest::qWait(10);
    }
    return true;
}

class GuiTest : public ::testing::Test {
  protected:
    TempDir dir;
    bool made = QDir().mkpath(dir.File("home")) && QDir().mkpath(dir.File("config")) &&
                QDir().mkpath(dir.File("out"));
    EnvScope config{"XDG_CONFIG_HOME", dir.File("config")};
    EnvScope home{"HOME", dir.File("home")};
    ScriptedPrompts prompts;
    CountingPowerOff power;
    QStringList opened;  // folders and addresses handed to the desktop
    std::unique_ptr<TfrmMain> frm;

    QString SettingsPath() const { return dir.File("config") + "/orvextarnwellconverter.ini"; }
    IniFile Settings() const { return IniFile(SettingsPath()); }
    void Set(const QString& key, const QString& value) {
        IniFile ini = Settings();
        ini.WriteString("settings", key, value);
    }
    QString Get(const QString& key, const QString& section = "settings") const {
        return Settings().ReadString(section, key, "<absent>");
    }

    void StartWindow() {
        frm = std::make_unique<TfrmMain>(prompts, power);
        frm->OpenDesktop = [this](const QString& target) {
            opened << target;
            return true;
        };
        frm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
    }

    void TearDown() override {
        if (frm) frm.reset();
    }

    template <typename T>
    T* Find(const char* name) const {
        return frm->findChild<T*>(name);
    }
    QAction* Action(const char* name) const { return frm->findChild<QAction*>(name); }

    // Rows appended without probing, for tests about the list itself.
    void AppendRows(const QStringList& captions) {
        for (const QString& c : captions) {
            TTaskRow row;
            row.Caption = c;
            row.Length = "2";
            row.TrimmedLength = "2";
            row.Destination = QFileInfo(c).completeBaseName() + "_(new)_ipod.mp4";
            row.Record.SourceFile = c;
            frm->Tasks().AppendRow(row);
        }
        frm->Tasks().Select(0);
        frm->RefreshList();
    }
};

}  // namespace fw::test
