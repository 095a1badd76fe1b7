#include "runner/InstalledLauncher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using Permissions = QFileDevice::Permissions;

constexpr Permissions rwxr_xr_x =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
    QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
// The nobody account on Debian.
constexpr uid_t nobody = 65534;

bool isRoot()
{
    return ::geteuid() == 0;
}

} // namespace

class InstalledLauncherTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void trustsOnlyWhatOnlyRootCanChange_data();
    void trustsOnlyWhatOnlyRootCanChange();
    void refusesWhatIsNoExecutableFile_data();
    void refusesWhatIsNoExecutableFile();
    void trustsSystemExecutable();
};

void InstalledLauncherTest::trustsOnlyWhatOnlyRootCanChange_data()
{
    QTest::addColumn<Permissions>("file");
    QTest::addColumn<Permissions>("folder");
    QTest::addColumn<bool>("ownedByNobody");
    QTest::addColumn<bool>("link");
    // Whether it is trusted when root made it; made by anyone else, it never is.
    QTest::addColumn<bool>("trusted");

    const Permissions folder = rwxr_xr_x;
    QTest::newRow("rwxr-xr-x") << rwxr_xr_x << folder << false << false << true;
    QTest::newRow("owner only") << Permissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner)
                                << folder << false << false << true;
    QTest::newRow("group writable")
        << (rwxr_xr_x | QFileDevice::WriteGroup) << folder << false << false << false;
    QTest::newRow("others writable")
        << (rwxr_xr_x | QFileDevice::WriteOther) << folder << false << false << false;
    QTest::newRow("folder group writable")
        << rwxr_xr_x << (folder | QFileDevice::WriteGroup) << false << false << false;
    QTest::newRow("folder others writable")
        << rwxr_xr_x << (folder | QFileDevice::WriteOther) << false << false << false;
    QTest::newRow("owned by nobody") << rwxr_xr_x << folder << true << false << false;
    QTest::newRow("link to it") << rwxr_xr_x << folder << false << true << true;
    QTest::newRow("link to a writable file")
        << (rwxr_xr_x | QFileDevice::WriteOther) << folder << false << true << false;
}

void InstalledLauncherTest::trustsOnlyWhatOnlyRootCanChange()
{
    QFETCH(Permissions, file);
    QFETCH(Permissions, folder);
    QFETCH(bool, ownedByNobody);
    QFETCH(bool, link);
    QFETCH(bool, trusted);
    if (ownedByNobody && !isRoot())
        QSKIP("only root can give a file to another user");

    QTemporaryDir temporary;
    QVERIFY(temporary.isValid());
    const QString directory = temporary.filePath(u"libexec"_s);
    QVERIFY(QDir().mkdir(directory));
    const QString target = directory + u"/launcher"_s;
    QFile launcher(target);
    QVERIFY(launcher.open(QIODevice::WriteOnly));
    launcher.write("#!/bin/sh\n");
    launcher.close();
    QVERIFY(launcher.setPermissions(file));
    // Qt can read a file's owner but not change it.
    if (ownedByNobody)
        QCOMPARE(::chown(QFile::encodeName(target).constData(), nobody, nobody), 0);
    QString path = target;
    if (link) {
        path = directory + u"/link"_s;
        QVERIFY(QFile::link(target, path));
    }
    QVERIFY(QFile::setPermissions(directory, folder));

    const std::optional<QString> expected =
        trusted && isRoot() ? std::optional<QString>(path) : std::nullopt;
    QCOMPARE(InstalledLauncher::ifTrusted(path), expected);
}

void InstalledLauncherTest::refusesWhatIsNoExecutableFile_data()
{
    QTest::addColumn<QString>("path");

    QTest::newRow("missing") << u"/nonexistent/tarnwick-setup/tarnwick-setup-launcher"_s;
    QTest::newRow("folder") << u"/usr/bin"_s;
    QTest::newRow("not executable") << u"/etc/passwd"_s;
    QTest::newRow("relative") << u"usr/bin/env"_s;
    QTest::newRow("empty") << QString();
}

void InstalledLauncherTest::refusesWhatIsNoExecutableFile()
{
    QFETCH(QString, path);
    QCOMPARE(InstalledLauncher::ifTrusted(path), std::nullopt);
}

void InstalledLauncherTest::trustsSystemExecutable()
{
    // Root's own executable in root's own folder, whoever runs the test.
    const QFileInfo env(u"/usr/bin/env"_s);
    if (env.ownerId() != 0 || QFileInfo(u"/usr/bin"_s).ownerId() != 0)
        QSKIP("/usr/bin/env is not root's on this machine");
    QCOMPARE(InstalledLauncher::ifTrusted(u"/usr/bin/env"_s), std::optional(u"/usr/bin/env"_s));
}

QTEST_GUILESS_MAIN(InstalledLauncherTest)
#include "InstalledLauncherTest.moc"
