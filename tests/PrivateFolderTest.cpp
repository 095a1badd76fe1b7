#include "runner/PrivateFolder.h"

#include "Umask.h"
#include "runner/Descriptor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class PrivateFolderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void makesExactlyPrivateFolder_data();
    void makesExactlyPrivateFolder();
    void makeLeavesWhatIsAlreadyThere_data();
    void makeLeavesWhatIsAlreadyThere();
    void writeNewRefusesWhatIsAlreadyThere_data();
    void writeNewRefusesWhatIsAlreadyThere();
    void removeTakesContentWithoutFollowingLinks();
    void removeLeavesWhatWasSwappedIn_data();
    void removeLeavesWhatWasSwappedIn();
    void exposure_data();
    void exposure();

private:
    std::unique_ptr<QTemporaryDir> m_temporary;
    Descriptor m_parent;
};

namespace {

int modeOf(const QString &path)
{
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return -1;
    return int(status.st_mode & 07777);
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Plants what the kind names at path; links point at target.
bool plant(const QString &kind, const QString &path, const QString &target)
{
    if (kind == u"folder")
        return QDir().mkdir(path);
    if (kind == u"link")
        return QFile::link(target, path);
    if (kind == u"dangling")
        return QFile::link(target + u".nowhere"_s, path);
    return writeFile(path, "planted");
}

} // namespace

void PrivateFolderTest::init()
{
    m_temporary = std::make_unique<QTemporaryDir>();
    QVERIFY(m_temporary->isValid());
    m_parent.reset(::open(QFile::encodeName(m_temporary->path()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    QVERIFY(m_parent.isOpen());
}

void PrivateFolderTest::makesExactlyPrivateFolder_data()
{
    QTest::addColumn<int>("mask");

    QTest::newRow("umask 000") << 0;
    QTest::newRow("umask 022") << 022;
    QTest::newRow("umask 077") << 077;
    // A umask that takes the owner's own rights must not leave a folder the
    // run cannot write its request into.
    QTest::newRow("umask 277") << 0277;
}

void PrivateFolderTest::makesExactlyPrivateFolder()
{
    QFETCH(int, mask);
    int folder = -1;
    {
        const Umask scoped{mode_t(mask)};
        folder = PrivateFolder::make(m_parent.get(), "run");
    }
    QVERIFY2(folder >= 0, qPrintable(qt_error_string(-folder)));
    const Descriptor owned(folder);
    QCOMPARE(modeOf(m_temporary->filePath(u"run"_s)), 0700);
    QCOMPARE(::fcntl(folder, F_GETFD) & FD_CLOEXEC, FD_CLOEXEC);

    {
        const Umask scoped{mode_t(mask)};
        QCOMPARE(PrivateFolder::writeNew(folder, "request.json", "{}", 2), 0);
    }
    QCOMPARE(modeOf(m_temporary->filePath(u"run/request.json"_s)), 0600);
    QCOMPARE(readFile(m_temporary->filePath(u"run/request.json"_s)), QByteArray("{}"));
}

void PrivateFolderTest::makeLeavesWhatIsAlreadyThere_data()
{
    QTest::addColumn<QString>("kind");

    QTest::newRow("folder") << u"folder"_s;
    QTest::newRow("link to a folder") << u"link"_s;
    QTest::newRow("dangling link") << u"dangling"_s;
    QTest::newRow("file") << u"file"_s;
}

void PrivateFolderTest::makeLeavesWhatIsAlreadyThere()
{
    QFETCH(QString, kind);
    const QString path = m_temporary->filePath(u"run"_s);
    const QString target = m_temporary->filePath(u"target"_s);
    QVERIFY(QDir().mkdir(target));
    QCOMPARE(::chmod(QFile::encodeName(target).constData(), 0755), 0);
    QVERIFY(plant(kind, path, target));

    QCOMPARE(PrivateFolder::make(m_parent.get(), "run"), -EEXIST);
    // Nothing was followed or taken over: the link's target keeps its mode,
    // a dangling link's target is not made, and what was there stays.
    QCOMPARE(modeOf(target), 0755);
    QVERIFY(!QFileInfo::exists(target + u".nowhere"_s));
    QVERIFY(QFileInfo(path).isSymLink() || QFileInfo::exists(path));
}

void PrivateFolderTest::writeNewRefusesWhatIsAlreadyThere_data()
{
    QTest::addColumn<QString>("kind");

    QTest::newRow("file") << u"file"_s;
    QTest::newRow("link to a file") << u"link"_s;
    QTest::newRow("dangling link") << u"dangling"_s;
    QTest::newRow("folder") << u"folder"_s;
}

void PrivateFolderTest::writeNewRefusesWhatIsAlreadyThere()
{
    QFETCH(QString, kind);
    const QString path = m_temporary->filePath(u"request.json"_s);
    const QString target = m_temporary->filePath(u"target"_s);
    QVERIFY(writeFile(target, "planted"));
    QVERIFY(plant(kind, path, target));

    QCOMPARE(PrivateFolder::writeNew(m_parent.get(), "request.json", "{}", 2), EEXIST);
    // Neither followed nor overwritten.
    QCOMPARE(readFile(target), QByteArray("planted"));
    QVERIFY(!QFileInfo::exists(target + u".nowhere"_s));
    if (kind == u"file")
        QCOMPARE(readFile(path), QByteArray("planted"));
}

void PrivateFolderTest::removeTakesContentWithoutFollowingLinks()
{
    QTemporaryDir yours;
    QVERIFY(yours.isValid());
    QVERIFY(writeFile(yours.filePath(u"precious"_s), "keep me"));

    const Descriptor folder(PrivateFolder::make(m_parent.get(), "run"));
    QVERIFY(folder.isOpen());
    const QString run = m_temporary->filePath(u"run"_s);
    QVERIFY(writeFile(run + u"/request.json"_s, "{}"));
    QVERIFY(QDir().mkpath(run + u"/made/by/the/script"_s));
    QVERIFY(writeFile(run + u"/made/by/the/script/notes"_s, "x"));
    QVERIFY(QFile::link(yours.path(), run + u"/link to a folder"_s));
    QVERIFY(QFile::link(yours.filePath(u"precious"_s), run + u"/made/link to a file"_s));

    PrivateFolder::remove(m_parent.get(), "run", folder.get());
    QVERIFY(!QFileInfo::exists(run) && !QFileInfo(run).isSymLink());
    QCOMPARE(readFile(yours.filePath(u"precious"_s)), QByteArray("keep me"));
}

void PrivateFolderTest::removeLeavesWhatWasSwappedIn_data()
{
    QTest::addColumn<QString>("kind");

    QTest::newRow("link to a folder of yours") << u"link"_s;
    QTest::newRow("another folder") << u"folder"_s;
}

void PrivateFolderTest::removeLeavesWhatWasSwappedIn()
{
    QFETCH(QString, kind);
    QTemporaryDir yours;
    QVERIFY(yours.isValid());
    QVERIFY(writeFile(yours.filePath(u"precious"_s), "keep me"));

    const Descriptor folder(PrivateFolder::make(m_parent.get(), "run"));
    QVERIFY(folder.isOpen());
    QCOMPARE(PrivateFolder::writeNew(folder.get(), "request.json", "{}", 2), 0);
    // Someone renames the folder away and puts something else in its place.
    QVERIFY(QDir(m_temporary->path()).rename(u"run"_s, u"moved"_s));
    const QString run = m_temporary->filePath(u"run"_s);
    if (kind == u"link") {
        QVERIFY(QFile::link(yours.path(), run));
    } else {
        QVERIFY(QDir().mkdir(run));
        QVERIFY(writeFile(run + u"/theirs"_s, "x"));
    }

    PrivateFolder::remove(m_parent.get(), "run", folder.get());
    // The run's own request went; nothing that took its name was touched.
    QVERIFY(!QFileInfo::exists(m_temporary->filePath(u"moved/request.json"_s)));
    QCOMPARE(readFile(yours.filePath(u"precious"_s)), QByteArray("keep me"));
    if (kind == u"link")
        QVERIFY(QFileInfo(run).isSymLink());
    else
        QCOMPARE(readFile(run + u"/theirs"_s), QByteArray("x"));
}

void PrivateFolderTest::exposure_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("owner");
    QTest::addColumn<int>("user");
    QTest::addColumn<int>("exposure");

    const int none = int(PrivateFolder::Exposure::None);
    const int shared = int(PrivateFolder::Exposure::SharedWithoutSticky);
    const int other = int(PrivateFolder::Exposure::OwnedByOther);
    QTest::newRow("own, private") << 0700 << 1000 << 1000 << none;
    QTest::newRow("own, readable by all") << 0755 << 1000 << 1000 << none;
    QTest::newRow("own, group may write") << 0770 << 1000 << 1000 << shared;
    QTest::newRow("own, all may write") << 0777 << 1000 << 1000 << shared;
    QTest::newRow("root's, all may write, sticky, as /tmp") << 01777 << 0 << 1000 << none;
    QTest::newRow("root's, all may write, not sticky") << 0777 << 0 << 1000 << shared;
    QTest::newRow("root's, read only") << 0755 << 0 << 1000 << none;
    QTest::newRow("another user's, private") << 0700 << 1001 << 1000 << other;
    QTest::newRow("another user's, sticky") << 01777 << 1001 << 1000 << other;
    QTest::newRow("a user's, as root") << 0700 << 1000 << 0 << other;
}

void PrivateFolderTest::exposure()
{
    QFETCH(int, mode);
    QFETCH(int, owner);
    QFETCH(int, user);
    QFETCH(int, exposure);
    struct stat status = {};
    status.st_mode = S_IFDIR | mode_t(mode);
    status.st_uid = uid_t(owner);
    QCOMPARE(int(PrivateFolder::exposure(status, uid_t(user))), exposure);
}

QTEST_GUILESS_MAIN(PrivateFolderTest)
#include "PrivateFolderTest.moc"
