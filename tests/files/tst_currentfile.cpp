#include "CurrentFile.h"
#include "FileTestSupport.h"
#include "ProgramFolders.h"

#include <QTest>

using namespace quorvel;
using namespace quorvel::test;

class CurrentFileTest : public QObject
{
    Q_OBJECT

private slots:
    void startsUntitled()
    {
        CurrentFile file("/opt/quorvel/lqrfiles/");
        QCOMPARE(file.dataFolder(), std::string("/opt/quorvel/lqrfiles"));
        QCOMPARE(ProgramFolders::besideProgram("/opt/quorvel").dataFolder,
                 std::string("/opt/quorvel/lqrfiles"));
        QVERIFY(file.isUntitled());
        QCOMPARE(file.path(), std::string("Untitled"));
        QCOMPARE(file.activationCaption(), std::string("Quorvel - Dunmere   [ UNTITLED ]"));
        QCOMPARE(file.fileCaption(), std::string("Quorvel  [ UNTITLED ]"));

        file.tieTo("/opt/quorvel/lqrfiles/2003/Race1.dat");
        QCOMPARE(file.fileName(), std::string("Race1.dat"));
        QCOMPARE(file.activationCaption(), std::string("Quorvel - Dunmere   [ 2003/RACE1.DAT ]"));
        QCOMPARE(file.fileCaption(), std::string("Quorvel  [ 2003/RACE1.DAT ]"));
        file.makeUntitled();
        QCOMPARE(file.fileCaption(), std::string("Quorvel  [ UNTITLED ]"));
    }

    void displayName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("displayName");
        QTest::newRow("in data folder") << "/opt/quorvel/lqrfiles/race1.dat"
                                        << "RACE1.DAT";
        QTest::newRow("sub-folder") << "/opt/quorvel/lqrfiles/2003/race1.dat"
                                    << "2003/RACE1.DAT";
        QTest::newRow("deeper") << "/opt/quorvel/lqrfiles/2003/may/Dunmere.lqr"
                                << "2003/MAY/DUNMERE.LQR";
        QTest::newRow("other letter case") << "/OPT/Quorvel/LQRFILES/2003/race1.dat"
                                           << "2003/RACE1.DAT";
        QTest::newRow("elsewhere") << "/home/crew/2003/race1.dat"
                                   << "RACE1.DAT";
        QTest::newRow("no slash") << "race1.dat"
                                  << "RACE1.DAT";
        QTest::newRow("data folder itself") << "/opt/quorvel/lqrfiles"
                                            << "LQRFILES";
        QTest::newRow("sibling folder") << "/opt/quorvel/lqrfiles2/2003/x.dat"
                                        << "X.DAT";
        QTest::newRow("other program") << "/opt/other/lqrfiles/2003/x.dat"
                                       << "X.DAT";
        QTest::newRow("accented") << QString::fromUtf8(
                                         "/opt/quorvel/lqrfiles/\xC3\xA9t\xC3\xA9.lqr")
                                  << QString::fromUtf8("\xC3\x89T\xC3\x89.LQR");
    }

    void displayName()
    {
        QFETCH(QString, path);
        QFETCH(QString, displayName);
        CurrentFile file("/opt/quorvel/lqrfiles");
        file.tieTo(str(path));
        QVERIFY(!file.isUntitled());
        QCOMPARE(file.path(), str(path));
        QCOMPARE(file.displayName(), str(displayName));
    }
};

QTEST_APPLESS_MAIN(CurrentFileTest)
#include "tst_currentfile.moc"
