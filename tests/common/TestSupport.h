// Helpers shared by every test program: temporary folders, generated media
// clips (made with the ffmpeg program at test time), the optional shared media
// folder, and running the project's executables.
#pragma once

#include <QString>
#include <QByteArray>
#include <QMap>
#include <QStringList>

#include <memory>

class QTemporaryDir;

namespace fw::test {

// A fresh folder removed at the end of the test; Path() has no trailing slash.
class TempDir {
public:
    TempDir();
    ~TempDir();
    QString Path() const;
    QString File(const QString& name) const;  // Path() + "/" + name

private:
    std::unique_ptr<QTemporaryDir> dir_;
};

// Sets an environment variable for the life of the scope, then restores it.
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

struct ProgramResult {
    int exitCode = -1;
    bool crashed = false;
    QString out;
    QString err;
};

// Runs a program with arguments (no shell) and waits at most timeoutMs.
ProgramResult RunProgram(const QString& program, const QStringList& args,
                         int timeoutMs = 120000, const QStringList& extraEnv = {});

// The folder of real-world sample files beside the project, or an empty text
// when it is absent (tests then GTEST_SKIP).
QString SharedMediaDir();
// SharedMediaDir() + "/" + name, or empty when the file is absent.
QString SharedMedia(const QString& name);

// Path of an executable built by this project (framewright-cli, framewright).
QString BuiltProgram(const QString& name);

struct ClipSpec {
    int width = 320;
    int height = 240;
    double seconds = 2.0;
    int fps = 25;
    bool video = true;
    bool audio = true;
    int sampleRate = 44100;
    int channels = 2;
    QString videoCodec = "mpeg4";  // encoder for the clip's video
    QString audioCodec = "aac";
    QString extraArgs;             // appended before the output (space separated)
};

// Makes a clip with the ffmpeg program from test patterns and a sine tone;
// fails the current test when ffmpeg does.
QString MakeClip(const QString& path, const ClipSpec& spec = {});

// ffprobe's view of a file: "format.<key>" and "stream.<index>.<key>" entries
// of -show_format -show_streams, flat. Empty map when ffprobe fails.
QMap<QString, QString> Ffprobe(const QString& path);

}  // namespace fw::test
