#include "runner/RunningRequests.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

class RunningRequestsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void createsExactlyPrivateFolder_data();
    void createsExactlyPrivateFolder();
    void refusesWhatIsAlreadyThere_data();
    void refusesWhatIsAlreadyThere();
    void removesOnlyItsOwnFolders();
    void removeAllEmptiesAndRefusesNewFolders();

private:
    std::unique_ptr<QTemporaryDir> m_temporary;
};

namespace {

int modeOf(const QString &path)
{
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return -1;
    return int(status.st_mode & 07777);
}

// Sets the process umask for one scope.
class Umask
{
public:
    explicit Umask(mode_t mask) : m_previous(::umask(mask)) {}
    ~Umask() { ::umask(m_previous); }
    Umask(const Umask &) = delete;
    Umask &operator=(const Umask &) = delete;

private:
    mode_t m_previous;
};

// Creates a run's folder, with a request file in it when asked.
bool createWithRequest(RunningRequests &running, const QString &folder, bool withRequest)
{
    if (!running.create(folder).isEmpty())
        return false;
    return !withRequest || QFile(folder + u"/request.json"_s).open(QIODevice::WriteOnly);
}

} // namespace

void RunningRequestsTest::init()
{
    m_temporary = std::make_unique<QTemporaryDir>();
    QVERIFY(m_temporary->isValid());
}

void RunningRequestsTest::createsExactlyPrivateFolder_data()
{
    QTest::addColumn<int>("mask");

    QTest::newRow("umask 000") << 0;
    QTest::newRow("umask 022") << 022;
    QTest::newRow("umask 077") << 077;
    // A umask that takes the owner's own rights must not leave a folder the
    // run cannot write its request into.
    QTest::newRow("umask 277") << 0277;
}

void RunningRequestsTest::createsExactlyPrivateFolder()
{
    QFETCH(int, mask);
    const QString path = m_temporary->filePath(u"run"_s);
    RunningRequests running;
    {
        const Umask scoped{mode_t(mask)};
        QCOMPARE(running.create(path), QString());
    }
    QCOMPARE(modeOf(path), 0700);
    QVERIFY(QFileInfo(path).isDir());
    QVERIFY(!running.isEmpty());
}

void RunningRequestsTest::refusesWhatIsAlreadyThere_data()
{
    QTest::addColumn<QString>("kind");

    QTest::newRow("folder") << u"folder"_s;
    QTest::newRow("link to a folder") << u"link"_s;
    QTest::newRow("dangling link") << u"dangling"_s;
    QTest::newRow("file") << u"file"_s;
}

void RunningRequestsTest::refusesWhatIsAlreadyThere()
{
    QFETCH(QString, kind);
    const QString path = m_temporary->filePath(u"run"_s);
    const QString target = m_temporary->filePath(u"target"_s);
    QVERIFY(QDir().mkdir(target));
    QVERIFY(::chmod(QFile::encodeName(target).constData(), 0755) == 0);
    if (kind == u"folder")
        QVERIFY(QDir().mkdir(path));
    else if (kind == u"link")
        QVERIFY(QFile::link(target, path));
    else if (kind == u"dangling")
        QVERIFY(QFile::link(m_temporary->filePath(u"nowhere"_s), path));
    else
        QVERIFY(QFile(path).open(QIODevice::WriteOnly));

    RunningRequests running;
    QCOMPARE(running.create(path),
             u"Could not create the request folder "_s + path + u": File exists"_s);
    QVERIFY(running.isEmpty());
    // Nothing was followed: the link's target keeps its mode, and a dangling
    // link's target is not made.
    QCOMPARE(modeOf(target), 0755);
    QVERIFY(!QFileInfo::exists(m_temporary->filePath(u"nowhere"_s)));
    // What was there before stays, since the runs never made it.
    running.removeAll();
    QVERIFY(QFileInfo(path).isSymLink() || QFileInfo::exists(path));
}

void RunningRequestsTest::removesOnlyItsOwnFolders()
{
    RunningRequests running;
    const QString first = m_temporary->filePath(u"first"_s);
    const QString second = m_temporary->filePath(u"second"_s);
    QVERIFY(createWithRequest(running, first, true));
    QVERIFY(createWithRequest(running, second, false));

    running.remove(first);
    QVERIFY(!QFileInfo::exists(first));
    QVERIFY(QFileInfo(second).isDir());

    // A folder that is not, or no longer, the runs' own is left alone.
    const QString stranger = m_temporary->filePath(u"stranger"_s);
    QVERIFY(QDir().mkdir(stranger));
    running.remove(stranger);
    QVERIFY(QFileInfo(stranger).isDir());
    QVERIFY(QDir().mkdir(first));
    running.remove(first);
    QVERIFY(QFileInfo(first).isDir());

    running.remove(second);
    QVERIFY(running.isEmpty());
}

void RunningRequestsTest::removeAllEmptiesAndRefusesNewFolders()
{
    RunningRequests running;
    const QString first = m_temporary->filePath(u"first"_s);
    const QString second = m_temporary->filePath(u"second"_s);
    QVERIFY(createWithRequest(running, first, false));
    QVERIFY(createWithRequest(running, second, true));

    running.removeAll();
    QVERIFY(running.isEmpty());
    QVERIFY(!QFileInfo::exists(first));
    QVERIFY(!QFileInfo::exists(second));

    const QString late = m_temporary->filePath(u"late"_s);
    QCOMPARE(running.create(late),
             u"Could not create the request folder "_s + late + u": the app is quitting"_s);
    QVERIFY(!QFileInfo::exists(late));
    // The run that owned a removed folder still ends with its own remove.
    running.remove(first);
    QVERIFY(running.isEmpty());
}

QTEST_GUILESS_MAIN(RunningRequestsTest)
#include "RunningRequestsTest.moc"
