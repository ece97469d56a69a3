#include "common/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace fw::test {

TempDir::TempDir() : dir_(std::make_unique<QTemporaryDir>(QDir::tempPath() + "/fwtest-XXXXXX")) {
    EXPECT_TRUE(dir_->isValid());
}
TempDir::~TempDir() = default;
QString TempDir::Path() const { return dir_->path(); }
QString TempDir::File(const QString& name) const { return dir_->path() + "/" + name; }

ProgramResult RunProgram(const QString& program, const QStringList& args, int timeoutMs,
                         const QStringList& extraEnv) {
    ProgramResult r;
    QProcess p;
    if (!extraEnv.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& kv : extraEnv) {
            const int eq = kv.indexOf('=');
            env.insert(kv.left(eq), kv.mid(eq + 1));
        }
        p.setProcessEnvironment(env);
    }
    p.start(program, args);
    if (!p.waitForStarted(10000)) {
        r.err = "cannot start " + program;
        return r;
    }
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(5000);
        r.err = "timed out: " + program;
        r.crashed = true;
        return r;
    }
    r.crashed = p.exitStatus() != QProcess::NormalExit;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QString SharedMediaDir() {
    const QString dir = QDir::cleanPath(QStringLiteral(FW_SOURCE_DIR) + "/../shared/media");
    return QFileInfo(dir).isDir() ? dir : QString();
}

QString SharedMedia(const QString& name) {
    const QString dir = SharedMediaDir();
    if (dir.isEmpty()) return {};
    const QString path = dir + "/" + name;
    return QFileInfo::exists(path) ? path : QString();
}

QString BuiltProgram(const QString& name) {
    return QStringLiteral(FW_BINARY_DIR) + "/bin/" + name;
}

QString MakeClip(const QString& path, const ClipSpec& s) {
    QStringList args{"-hide_banner", "-loglevel", "error", "-y"};
    if (s.video) {
        args << "-f" << "lavfi" << "-i"
             << QString("testsrc2=size=%1x%2:rate=%3:duration=%4")
                    .arg(s.width).arg(s.height).arg(s.fps).arg(s.seconds);
    }
    if (s.audio) {
        args << "-f" << "lavfi" << "-i"
             << QString("sine=frequency=440:sample_rate=%1:duration=%2")
                    .arg(s.sampleRate).arg(s.seconds);
    }
    if (s.video) args << "-c:v" << s.videoCodec << "-pix_fmt" << "yuv420p";
    if (s.audio) args << "-c:a" << s.audioCodec << "-ac" << QString::number(s.channels);
    if (!s.extraArgs.isEmpty()) args << s.extraArgs.split(' ', Qt::SkipEmptyParts);
    args << path;
    const ProgramResult r = RunProgram("ffmpeg", args);
    EXPECT_EQ(r.exitCode, 0) << "ffmpeg failed making " << path.toStdString() << ": "
                             << r.err.toStdString();
    return path;
}

QMap<QString, QString> Ffprobe(const QString& path) {
    QMap<QString, QString> m;
    const ProgramResult r = RunProgram(
        "ffprobe", {"-v", "error", "-show_format", "-show_streams", "-of", "flat=s=.", path});
    if (r.exitCode != 0) return m;
    for (const QString& line : r.out.split('\n', Qt::SkipEmptyParts)) {
        const int eq = line.indexOf('=');
        if (eq < 0) continue;
        QString key = line.left(eq);
        QString value = line.mid(eq + 1);
        if (value.startsWith('"') && value.endsWith('"') && value.size() >= 2)
            value = value.mid(1, value.size() - 2);
        if (key.startsWith("streams.stream.")) key = "stream." + key.mid(15);
        m.insert(key, value);
    }
    return m;
}

}  // namespace fw::test
