// The kit's INI class: profile semantics on real files in a temporary folder.
#include "vcl/IniFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>

using vcl::TIniFile;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const QString& name = QStringLiteral("MonitorSet.RQX")) const { return dir.filePath(name); }
    void Put(const QByteArray& bytes, const QString& name = QStringLiteral("MonitorSet.RQX")) const
    {
        QFile f(Path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray Get(const QString& name = QStringLiteral("MonitorSet.RQX")) const
    {
        QFile f(Path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};

// One write on a given file and the exact bytes it must leave.
struct WriteCase {
    const char* what;
    QByteArray before;
    const char* section;
    const char* key;
    const char* value;
    QByteArray after;
};

TEST_F(IniFileTest, WritesChangeOnlyTheirKey)
{
    const WriteCase cases[] = {
        {"replace in place, file's spelling kept",
         "; layout\n[Version]\nHeight=40\nTop=3\n\n[Output]\nHeight=40\n", "version", "TOP", "12",
         "; layout\n[Version]\nHeight=40\nTop=12\n\n[Output]\nHeight=40\n"},
        {"blanks around = kept, value trimmed",
         "[A]\nKey = old value  \n", "A", "key", "  new  ", "[A]\nKey = new\n"},
        {"append a key after the section's last line, before blank lines",
         "[Version]\nHeight=40\n\n[Output]\nHeight=40\n", "Version", "Left", "3",
         "[Version]\nHeight=40\nLeft=3\n\n[Output]\nHeight=40\n"},
        {"append a key to the last section",
         "[Version]\nHeight=40\n[Output]\nHeight=40\n", "OUTPUT", "Top", "-5",
         "[Version]\nHeight=40\n[Output]\nHeight=40\nTop=-5\n"},
        {"append a key to an empty section", "[A]\n[B]\nx=1\n", "a", "k", "v", "[A]\nk=v\n[B]\nx=1\n"},
        {"append a section", "[A]\nx=1\n", "Write", "Permission", "1", "[A]\nx=1\n[Write]\nPermission=1\n"},
        {"append a section to a file without a final line ending", "[A]\nx=1", "B", "y", "2",
         "[A]\nx=1\n[B]\ny=2\n"},
        {"append a key to a last line without line ending", "[A]\nx=1", "A", "y", "2", "[A]\nx=1\ny=2\n"},
        {"empty file", "", "A", "x", "1", "[A]\nx=1\n"},
        {"CR LF kept, added lines use it too", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n", "a", "z", "3",
         "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n"},
        {"CR LF for an added section", "[A]\r\nx=1\r\n", "C", "k", "v", "[A]\r\nx=1\r\n[C]\r\nk=v\r\n"},
        {"comments and unknown lines kept", "# head\n[A]\n;x=9\njunk line\nx=1\n", "A", "x", "2",
         "# head\n[A]\n;x=9\njunk line\nx=2\n"},
        {"a commented key is not the key", "[A]\n;x=9\n", "A", "x", "2", "[A]\n;x=9\nx=2\n"},
        {"misspelt keys stay, the right ones are added",
         "[Temperature]\nLabel21=T1\n[Write]\nPermission=0\n", "Temperature", "Labe21", "T1",
         "[Temperature]\nLabel21=T1\nLabe21=T1\n[Write]\nPermission=0\n"},
        {"only the first of two equal sections", "[A]\nx=1\n[a]\nx=2\n", "A", "x", "5", "[A]\nx=5\n[a]\nx=2\n"},
        {"keys before any section are not in a section", "x=1\n[A]\n", "A", "x", "2", "x=1\n[A]\nx=2\n"},
        {"a line that is not UTF-8 stays byte for byte", "[A]\nt=caf\xE9\nx=1\n", "A", "x", "2",
         "[A]\nt=caf\xE9\nx=2\n"},
        {"a byte-order mark stays", "\xEF\xBB\xBF[A]\nx=1\n", "A", "x", "2", "\xEF\xBB\xBF[A]\nx=2\n"},
        {"names match whole, not by prefix", "[Poll01]\nAddr010=5\n", "Poll01", "Addr01", "7",
         "[Poll01]\nAddr010=5\nAddr01=7\n"},
        {"a value with =", "[A]\nx=1\n", "A", "x", "a=b", "[A]\nx=a=b\n"},
        {"non-ASCII text", "[A]\nx=1\n", "A", "x", "25 \xE2\x84\x83", "[A]\nx=25 \xE2\x84\x83\n"},
    };
    for (const WriteCase& c : cases) {
        Put(c.before);
        TIniFile ini(Path());
        EXPECT_TRUE(ini.WriteString(QString::fromUtf8(c.section), QString::fromUtf8(c.key), QString::fromUtf8(c.value)))
            << c.what;
        EXPECT_EQ(Get(), c.after) << c.what;
        EXPECT_EQ(ini.LastError(), QString()) << c.what;
        // What was written reads back, in this object and in a fresh one.
        const QString expected = QString::fromUtf8(c.value).trimmed();
        EXPECT_EQ(ini.ReadString(c.section, c.key, "?"), expected) << c.what;
        EXPECT_EQ(TIniFile(Path()).ReadString(c.section, c.key, "?"), expected) << c.what;
    }
}

TEST_F(IniFileTest, ReadsCaseInsensitiveTrimmedAndDefaults)
{
    Put("; comment\r\n[Poll01]\r\n  Addr01 =  40001 \r\nType01=2\r\nType02=x\r\nType03=\r\nType04=12 \r\n"
        "Type05=$10\r\nType06=0x1F\r\nType07=99999999999\r\nValue01=caf\xE9\r\n[Reactive]\r\nCosPhiSet=0,95\r\n"
        "Sign=-1\r\nRate=1.5\r\n");
    TIniFile ini(Path());
    EXPECT_TRUE(ini.FileFound());
    EXPECT_EQ(ini.ReadString("poll01", "ADDR01", ""), "40001");
    EXPECT_EQ(ini.ReadString("Poll01", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadString("Nope", "Addr01", ""), "");
    EXPECT_EQ(ini.ReadString("Poll01", "Value01", ""), QString::fromLatin1("caf\xE9"));  // not UTF-8: Latin-1

    struct IntCase { const char* key; int expected; };
    const IntCase ints[] = {{"Type01", 2}, {"Type02", 77}, {"Type03", 77}, {"Type04", 12}, {"Type05", 16},
                            {"Type06", 31}, {"Type07", 77}, {"Missing", 77}};
    for (const IntCase& c : ints) EXPECT_EQ(ini.ReadInteger("POLL01", c.key, 77), c.expected) << c.key;
    EXPECT_EQ(ini.ReadInteger("Reactive", "Sign", 0), -1);
    EXPECT_EQ(ini.ReadInteger("Reactive", "Rate", 0), 0);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Reactive", "CosPhiSet", 1), 0.95);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Reactive", "Rate", 0), 1.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Poll01", "Type02", 2.5), 2.5);
    EXPECT_TRUE(ini.ReadBool("Reactive", "Sign", false));
    EXPECT_FALSE(ini.ReadBool("Reactive", "Missing", false));

    EXPECT_TRUE(ini.SectionExists("REACTIVE"));
    EXPECT_FALSE(ini.SectionExists("Write"));
    EXPECT_TRUE(ini.ValueExists("reactive", "cosphiset"));
    EXPECT_FALSE(ini.ValueExists("reactive", "Addr01"));
    EXPECT_EQ(ini.ReadSection("reactive"), QStringList({"CosPhiSet", "Sign", "Rate"}));
    EXPECT_EQ(ini.ReadSections(), QStringList({"Poll01", "Reactive"}));
}

// A whole section read at once gives each key the value ReadString gives it: names without
// regard to case, values trimmed, the first line of a key and the first section of a name.
TEST_F(IniFileTest, ASectionReadAtOnceReadsAsKeyByKey)
{
    Put("[InvExist]\r\nID1=2\r\n  id1 = 3\r\n ID2 =  1 \r\n\xC3\x84rger=4\r\n; ID3=3\r\n"
        "[Other]\r\nID3=1\r\n[INVEXIST]\r\nID4=2\r\n");
    TIniFile ini(Path());
    const QHash<QString, QString> values = ini.ReadSectionValues("invexist");
    EXPECT_EQ(values.size(), 3);
    for (const QString& key : {QStringLiteral("ID1"), QStringLiteral("Id2"), QString::fromUtf8("\xC3\xA4RGER"),
                               QStringLiteral("ID3"), QStringLiteral("ID4")})
        EXPECT_EQ(values.value(key.toCaseFolded(), QStringLiteral("none")), ini.ReadString("InvExist", key, "none")) << key.toStdString();
    EXPECT_EQ(values.value("id1"), "2");
    EXPECT_TRUE(ini.ReadSectionValues("Missing").isEmpty());
}

TEST_F(IniFileTest, TypedWritesAndErase)
{
    Put("[A]\nx=1\n[B]\ny=2\n[C]\nz=3\n");
    TIniFile ini(Path());
    EXPECT_TRUE(ini.WriteInteger("A", "x", -42));
    EXPECT_TRUE(ini.WriteBool("A", "f", true));
    EXPECT_TRUE(ini.WriteFloat("A", "g", 0.5));
    EXPECT_TRUE(ini.EraseSection("b"));
    EXPECT_TRUE(ini.EraseSection("absent"));
    EXPECT_TRUE(ini.DeleteKey("C", "Z"));
    EXPECT_EQ(Get(), "[A]\nx=-42\nf=1\ng=0.5\n[C]\n");
    EXPECT_EQ(ini.ReadInteger("A", "x", 0), -42);
    EXPECT_TRUE(ini.ReadBool("A", "f", false));
}

TEST_F(IniFileTest, SeesChangesMadeByAnotherWriter)
{
    Put("[A]\nx=1\n");
    TIniFile first(Path());
    TIniFile second(Path());
    EXPECT_TRUE(second.WriteString("A", "y", "2"));
    EXPECT_TRUE(first.WriteString("A", "z", "3"));   // must not drop the other writer's key
    EXPECT_EQ(Get(), "[A]\nx=1\ny=2\nz=3\n");
}

TEST_F(IniFileTest, MissingFileIsNeverCreated)
{
    const QString path = Path("PreviousSet.RQX");
    TIniFile ini(path);
    EXPECT_FALSE(ini.FileFound());
    EXPECT_EQ(ini.ReadString("Search", "Start", "1"), "1");
    EXPECT_EQ(ini.ReadInteger("Search", "Start", 0), 0);
    EXPECT_FALSE(ini.SectionExists("Search"));
    EXPECT_FALSE(ini.WriteString("Search", "Start", "5"));
    EXPECT_FALSE(ini.WriteInteger("Search", "End", 5));
    EXPECT_FALSE(ini.EraseSection("Search"));
    EXPECT_TRUE(ini.LastError().contains(path)) << ini.LastError().toStdString();
    EXPECT_FALSE(QFileInfo::exists(path));

    // A path below a regular file cannot exist for anybody, root included.
    Put("[A]\n", "plain");
    const QString below = Path("plain") + "/MonitorSet.RQX";
    TIniFile under(below);
    EXPECT_FALSE(under.WriteString("A", "x", "1"));
    EXPECT_EQ(under.LastError(), "Unable to write to " + below);
    EXPECT_EQ(Get("plain"), "[A]\n");

    // A folder is not a settings file.
    QDir(dir.path()).mkdir("folder.RQX");
    TIniFile folder(Path("folder.RQX"));
    EXPECT_FALSE(folder.FileFound());
    EXPECT_FALSE(folder.WriteString("A", "x", "1"));
}

TEST_F(IniFileTest, ReadOnlyFileIsReportedWithItsPath)
{
    // A file without write permission is refused even when the program runs as root, as the
    // read-only attribute is on the platform the files come from.
    Put("[A]\nx=1\n");
    ASSERT_TRUE(QFile::setPermissions(Path(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    TIniFile ini(Path());
    EXPECT_EQ(ini.ReadInteger("A", "x", 0), 1);
    EXPECT_FALSE(ini.WriteString("A", "x", "2"));
    EXPECT_EQ(ini.LastError(), "Unable to write to " + Path() + ": the file is read-only");
    EXPECT_EQ(Get(), "[A]\nx=1\n");
    EXPECT_EQ(ini.ReadInteger("A", "x", 0), 1);
    // The error stays until a write succeeds.
    ASSERT_TRUE(QFile::setPermissions(Path(), QFile::ReadOwner | QFile::WriteOwner));
    EXPECT_TRUE(ini.WriteString("A", "x", "3"));
    EXPECT_EQ(ini.LastError(), QString());
    const QFile::Permissions modeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                        | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther
                                        | QFile::ExeOther;
    EXPECT_EQ(QFile::permissions(Path()) & modeBits, QFile::ReadOwner | QFile::WriteOwner)
        << "the file's permissions are kept";
}

TEST_F(IniFileTest, FailedWriteLeavesTheOldFileWhole)
{
    // A real write failure that root cannot bypass: a file-size limit smaller than the new
    // contents (as a full disk would do). The old contents must survive.
    QByteArray before = "[A]\nx=1\n";
    before += QByteArray(200, ';') + "\n";
    Put(before);
    TIniFile ini(Path());

    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ok = ini.WriteString("A", "x", "2");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(ok);
    EXPECT_EQ(ini.LastError(), "Unable to write to " + Path() + ": File too large");
    EXPECT_EQ(Get(), before);
    EXPECT_EQ(ini.ReadInteger("A", "x", 0), 1);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"MonitorSet.RQX"})) << "no temporary file left";
}

TEST_F(IniFileTest, EveryWriteGoesToACopyThatReplacesTheFile)
{
    // A write goes to a copy beside the file that then replaces it (a new inode), never into the
    // file itself, so a failure halfway leaves the file whole. A name of 250 bytes leaves no room
    // for a copy named after it: the copy takes a short name of its own.
    struct Case {
        const char* what;
        QString name;
        bool inPlace;
    };
    const Case cases[] = {
        {"ordinary name: copy, then rename", QStringLiteral("MonitorSet.RQX"), false},
        {"no room for a copy named after it: copy, then rename", QString(246, u'L') + QStringLiteral(".RQX"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray before = "; kept\r\n[A]\r\nx=1\r\n";
        Put(before, c.name);
        ASSERT_EQ(Get(c.name), before);
        ASSERT_TRUE(QFile::setPermissions(Path(c.name), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        struct stat was {};
        ASSERT_EQ(::stat(QFile::encodeName(Path(c.name)).constData(), &was), 0);
        // Held open, the first file keeps its inode number: a file made later cannot be given it
        // again, so an equal number does mean the same file.
        QFile first(Path(c.name));
        ASSERT_TRUE(first.open(QIODevice::ReadOnly));

        TIniFile ini(Path(c.name));
        EXPECT_TRUE(ini.WriteString("A", "x", "22"));
        EXPECT_TRUE(ini.WriteString("B", "y", "3"));
        EXPECT_EQ(ini.LastError(), QString());
        EXPECT_EQ(Get(c.name), "; kept\r\n[A]\r\nx=22\r\n[B]\r\ny=3\r\n");
        // A shorter text leaves no tail of the longer one behind.
        EXPECT_TRUE(ini.DeleteKey("A", "x"));
        EXPECT_EQ(Get(c.name), "; kept\r\n[A]\r\n[B]\r\ny=3\r\n");

        struct stat now {};
        ASSERT_EQ(::stat(QFile::encodeName(Path(c.name)).constData(), &now), 0);
        EXPECT_EQ(now.st_ino == was.st_ino, c.inPlace) << "the file was " << (c.inPlace ? "replaced" : "rewritten in place");
        EXPECT_EQ(now.st_mode & 0777, 0640u) << "permissions kept";
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{c.name}) << "no temporary file left";
        first.close();
        ASSERT_TRUE(QFile::remove(Path(c.name)));
    }
}

TEST_F(IniFileTest, RefusesTextsThatWouldBreakTheFile)
{
    Put("[A]\nx=1\n");
    TIniFile ini(Path());
    EXPECT_FALSE(ini.WriteString("A", "x", "two\nlines"));
    EXPECT_FALSE(ini.WriteString("A", "k=v", "1"));
    EXPECT_FALSE(ini.WriteString("A]", "k", "1"));
    EXPECT_FALSE(ini.WriteString("", "k", "1"));
    EXPECT_FALSE(ini.WriteString("A", " ", "1"));
    EXPECT_TRUE(ini.LastError().startsWith("Unable to write to " + Path()));
    EXPECT_EQ(Get(), "[A]\nx=1\n");
}

TEST_F(IniFileTest, WritesThroughASymlink)
{
    Put("[A]\nx=1\n", "target.RQX");
    ASSERT_TRUE(QFile::link(Path("target.RQX"), Path("link.RQX")));
    TIniFile ini(Path("link.RQX"));
    EXPECT_TRUE(ini.WriteString("A", "x", "2"));
    EXPECT_TRUE(QFileInfo(Path("link.RQX")).isSymLink());
    EXPECT_EQ(Get("target.RQX"), "[A]\nx=2\n");
}

} // namespace

namespace {

// A group of writes gives the bytes the same writes give one by one, and reaches the file only
// at its end, in one piece; a group that fails anywhere leaves the file as it was.
TEST_F(IniFileTest, GroupedWritesReachTheFileOnceWholeOrNotAtAll)
{
    const QByteArray before = "; layout\r\n[Version]\r\nHeight=40\r\n\r\n[Output]\r\nHeight=40\r\n";
    auto writeAll = [](TIniFile& ini) {
        bool ok = ini.WriteString("version", "height", "7770");
        ok = ini.WriteString("Version", "Top", "3") && ok;
        ok = ini.WriteString("Output", "Left", "-5") && ok;
        ok = ini.WriteString("New", "Height", "40") && ok;
        ok = ini.DeleteKey("Output", "Height") && ok;
        return ok;
    };

    Put(before, "single.RQX");
    TIniFile single(Path("single.RQX"));
    ASSERT_TRUE(writeAll(single));
    const QByteArray expected = Get("single.RQX");
    ASSERT_NE(expected, before);

    Put(before);
    TIniFile grouped(Path());
    grouped.BeginUpdate();
    ASSERT_TRUE(writeAll(grouped));
    EXPECT_EQ(grouped.ReadInteger("Version", "Height", 0), 7770) << "reads see the group's writes";
    EXPECT_EQ(Get(), before) << "nothing reaches the file before the group ends";
    EXPECT_TRUE(grouped.EndUpdate());
    EXPECT_EQ(Get(), expected);
    EXPECT_EQ(grouped.LastError(), QString());
    EXPECT_TRUE(grouped.EndUpdate()) << "ending twice is harmless";

    struct Failure {
        const char* what;
        std::function<void(const QString&)> prepare;
        std::function<bool(TIniFile&)> write;
    };
    const Failure failures[] = {
        {"read-only file", [](const QString& p) { QFile::setPermissions(p, QFile::ReadOwner); },
         [&](TIniFile& ini) { return writeAll(ini); }},
        {"a refused key in the group", [](const QString&) {},
         [&](TIniFile& ini) { return writeAll(ini) && ini.WriteString("A", "bad=key", "1"); }},
    };
    for (const Failure& f : failures) {
        SCOPED_TRACE(f.what);
        QFile::remove(Path());
        Put(before);
        f.prepare(Path());
        TIniFile ini(Path());
        ini.BeginUpdate();
        f.write(ini);
        EXPECT_FALSE(ini.EndUpdate());
        EXPECT_TRUE(ini.LastError().startsWith("Unable to write to " + Path())) << ini.LastError().toStdString();
        EXPECT_EQ(Get(), before);
        EXPECT_EQ(ini.ReadInteger("Version", "Height", 0), 40) << "the text in memory is the file's again";
        QFile::setPermissions(Path(), QFile::ReadOwner | QFile::WriteOwner);
    }

    // A missing file is not created by a group either.
    TIniFile missing(Path("missing.RQX"));
    missing.BeginUpdate();
    EXPECT_FALSE(missing.WriteString("A", "x", "1"));
    EXPECT_FALSE(missing.EndUpdate());
    EXPECT_FALSE(QFileInfo::exists(Path("missing.RQX")));
}

} // namespace
