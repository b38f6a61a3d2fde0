// Where the program keeps its settings and races: beside it where it can,
// in the user's own folders where it is installed read-only.

#include "ProgramFolders.h"
#include "RaceDocument.h"

#include "FileTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <string>

#include <unistd.h>

using namespace quorvel;

namespace {

class FakeEnvironment
{
public:
    void set(const char *name, const QString &value) { values_[name] = value.toStdString(); }
    [[nodiscard]] EnvironmentLookup lookup() const
    {
        return [this](const char *name) -> const char * {
            const auto found = values_.find(name);
            return found == values_.end() ? nullptr : found->second.c_str();
        };
    }

private:
    std::map<std::string, std::string> values_;
};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ProgramFoldersTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        root_ = std::make_unique<QTemporaryDir>();
        program_ = root_->filePath(QStringLiteral("program"));
        QDir(program_).mkpath(QStringLiteral("lqrfiles"));
        writeFile(program_ + QStringLiteral("/lqrfiles/sample.lqr"), "sample");
        environment_ = FakeEnvironment();
        environment_.set("HOME", root_->filePath(QStringLiteral("home")));
    }

    void besideAWritableProgram()
    {
        const ProgramFolders folders =
            LocateProgramFolders(program_.toStdString(), environment_.lookup());
        QCOMPARE(QString::fromStdString(folders.settingsFile), program_ + "/KVCNFG.DNX");
        QCOMPARE(QString::fromStdString(folders.dataFolder), program_ + "/lqrfiles");
        PrepareDataFolder(folders);
        QCOMPARE(QDir(program_ + "/lqrfiles").entryList(QDir::Files), QStringList{"sample.lqr"});
    }

    void missingDataFolderGoesToTheUsersData_data()
    {
        QTest::addColumn<QString>("xdgDataHome");
        QTest::addColumn<QString>("expected"); // below the temporary root
        QTest::newRow("XDG data home") << "@/data"
                                       << "/data/quorvel/lqrfiles";
        QTest::newRow("unset") << ""
                               << "/home/.local/share/quorvel/lqrfiles";
        QTest::newRow("relative, so ignored") << "data"
                                              << "/home/.local/share/quorvel/lqrfiles";
    }

    void missingDataFolderGoesToTheUsersData()
    {
        QFETCH(QString, xdgDataHome);
        QFETCH(QString, expected);
        QVERIFY(QDir(program_ + "/lqrfiles").removeRecursively());
        if (!xdgDataHome.isEmpty())
            environment_.set("XDG_DATA_HOME", xdgDataHome.replace(QLatin1Char('@'), root_->path()));
        const ProgramFolders folders =
            LocateProgramFolders(program_.toStdString(), environment_.lookup());
        QCOMPARE(QString::fromStdString(folders.dataFolder), root_->path() + expected);
        PrepareDataFolder(folders);
        QVERIFY(QDir(root_->path() + expected).exists());
    }

    void installedReadOnly()
    {
        if (geteuid() == 0)
            QSKIP("permission bits do not stop root; this runs again unprivileged");
        environment_.set("XDG_CONFIG_HOME", root_->filePath(QStringLiteral("config")));
        environment_.set("XDG_DATA_HOME", root_->filePath(QStringLiteral("data")));
        QFile::setPermissions(program_ + "/lqrfiles", QFile::ReadOwner | QFile::ExeOwner);
        QFile::setPermissions(program_, QFile::ReadOwner | QFile::ExeOwner);

        const ProgramFolders folders =
            LocateProgramFolders(program_.toStdString(), environment_.lookup());
        const QString data = root_->filePath(QStringLiteral("data/quorvel/lqrfiles"));
        const QString settings = root_->filePath(QStringLiteral("config/quorvel/KVCNFG.DNX"));
        QCOMPARE(QString::fromStdString(folders.dataFolder), data);
        QCOMPARE(QString::fromStdString(folders.settingsFile), settings);

        // First use: the sample races come along; later uses leave the
        // crew's own files alone.
        PrepareDataFolder(folders);
        QCOMPARE(readFile(data + "/sample.lqr"), QByteArray("sample"));
        writeFile(data + "/sample.lqr", "changed by the crew");
        PrepareDataFolder(folders);
        QCOMPARE(readFile(data + "/sample.lqr"), QByteArray("changed by the crew"));

        // The settings are kept in the user's folder, made when first written.
        RaceDocument document(folders);
        QVERIFY(document.writeSettings().ok);
        QCOMPARE(readFile(settings), QByteArray(" 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"));
        QVERIFY(document.writeRaceFile((data + "/monday").toStdString()).result.ok);
        QCOMPARE(document.currentFile().displayName(), std::string("MONDAY"));

        QFile::setPermissions(program_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(program_ + "/lqrfiles",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

private:
    std::unique_ptr<QTemporaryDir> root_;
    QString program_;
    FakeEnvironment environment_;
};

QTEST_APPLESS_MAIN(ProgramFoldersTest)
#include "tst_programfolders.moc"
