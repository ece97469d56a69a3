// The command line converts a real-world file with every profile, twice into
// the same folder: the second round writes "_(new_1)" names beside the first
// and leaves the first files untouched. Skips without the shared media.
#include "common/TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray Digest(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash h(QCryptographicHash::Sha1);
    h.addData(&f);
    return h.result();
}

const int kCodes[] = {0, 100, 101, 102, 103, 104, 105, 106, 107, 108, 109,
                      200, 201, 202, 203, 204, 205, 206};

}  // namespace

TEST(ConvertMedia, EveryProfileTwiceIntoOneFolder) {
    const QString source = fw::test::SharedMedia("h264_aac_640x350_15s.flv");
    if (source.isEmpty()) GTEST_SKIP() << "shared media not present";
    fw::test::TempDir work;
    QDir().mkpath(work.File("config"));
    const QStringList env{"XDG_CONFIG_HOME=" + work.File("config"), "HOME=" + work.File("home")};
    for (int code : kCodes) {
        SCOPED_TRACE(code);
        const QString out = work.File(QString("out%1").arg(code));
        QMap<QString, QByteArray> firstRound;
        for (int round = 0; round < 2; ++round) {
            const auto r = fw::test::RunProgram(
                fw::test::BuiltProgram("framewright-cli"),
                {"convert", source, "--profile", QString::number(code), "--output-dir", out}, 300000,
                env);
            ASSERT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
            const QStringList files = QDir(out).entryList(QDir::Files, QDir::Name);
            if (round == 0) {
                ASSERT_EQ(files.size(), 1);
                EXPECT_TRUE(files[0].startsWith("h264_aac_640x350_15s_(new).")) << files[0].toStdString();
                for (const QString& f : files) firstRound[f] = Digest(out + "/" + f);
            } else {
                ASSERT_EQ(files.size(), 2);
                EXPECT_TRUE(files.filter("_(new_1).").size() == 1) << files.join(' ').toStdString();
                for (auto it = firstRound.begin(); it != firstRound.end(); ++it)
                    EXPECT_EQ(Digest(out + "/" + it.key()), it.value()) << "first output changed";
            }
        }
    }
}
