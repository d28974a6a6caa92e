// The real program, driven from outside through its remote user driver: a mode is chosen, a
// Config page opened with an access code, and the panels on it read back; a second start of
// the program ends at once and leaves the first one running.
#include "design/LangTable.h"
#include "design/LayoutFile.h"
#include "design/ModeState.h"
#include "support/ProgramFolder.h"
#include "support/QtApp.h"
#include "support/RemoteProgram.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <sys/types.h>

namespace {

using ProgramRun = testsupport::RemoteProgram;

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::EnsureCoreApplication();
        ASSERT_TRUE(testsupport::CopyProgramFolder(home.path()));
    }
    QString SocketPath() const { return runtime.path() + "/driver.sock"; }

    // A program restarted by the program itself is no child of the test: if the test gives up on
    // it, it would keep running (and keep CTest waiting on its output). Every program this test
    // started carries the test's own instance folder in its environment.
    void TearDown() override
    {
        const QByteArray mark = "SUNVANE_INSTANCE_DIR=" + runtime.path().toUtf8();
        for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
            bool number = false;
            const qint64 n = pid.toLongLong(&number);
            if (!number || n == QCoreApplication::applicationPid())
                continue;
            QFile env("/proc/" + pid + "/environ");
            if (env.open(QIODevice::ReadOnly) && env.readAll().split('\0').contains(mark))
                ::kill(static_cast<pid_t>(n), SIGKILL);
        }
    }

    QTemporaryDir home;
    QTemporaryDir runtime;
};

} // namespace

TEST_F(ProgramTest, ConfigPageOpenedWithACodeShowsItsLayout)
{
    ProgramRun run(home.path(), runtime.path(), SocketPath());
    ASSERT_TRUE(run.StartForwarded());

    EXPECT_EQ(run.Ask("get Form_Main")["text"].toString(), "Sunvane V5.4.2");
    EXPECT_TRUE(run.Ask("pickt Combo_SelectMode GridTied")["ok"].toBool());
    EXPECT_TRUE(run.Ask("answer 2059")["ok"].toBool());
    EXPECT_TRUE(run.Ask("tab PageControl 1")["ok"].toBool());
    EXPECT_EQ(run.Ask("get PageControl")["index"].toInt(), 1);
    const QJsonArray dialogs = run.Ask("dialogs")["items"].toArray();
    ASSERT_EQ(dialogs.size(), 1);
    EXPECT_EQ(dialogs[0].toString(), "Input Password Please");

    // The second code opens layout 3 on the Config page: exactly its panels are shown.
    design::PanelStates expected = design::InitialPanelStates();
    ASSERT_EQ(design::LoadPageDesign(design::LayoutPath(home.path() + "/GridTied", 3), expected), 0);
    int shown = 0;
    for (int i = 0; i < design::kLayoutSectionCount; ++i) {
        const QString name = QString::fromLatin1(design::GroupPanels()[static_cast<size_t>(i)].name);
        const QJsonObject panel = run.Ask("get " + name);
        const bool wanted = expected[static_cast<size_t>(i)].height == panel["tag"].toInt();
        EXPECT_EQ(panel["visible"].toBool(), wanted) << name.toStdString();
        if (wanted) {
            EXPECT_EQ(panel["height"].toInt(), panel["tag"].toInt()) << name.toStdString();
            ++shown;
        }
    }
    EXPECT_GT(shown, 0);

    // The code is remembered: the Ctrl page opens layout 4 without a question.
    EXPECT_TRUE(run.Ask("tab PageControl 2")["ok"].toBool());
    EXPECT_TRUE(run.Ask("dialogs")["items"].toArray().isEmpty());

    EXPECT_TRUE(run.Ask("close")["ok"].toBool());
    ASSERT_TRUE(run.process.waitForFinished(10000));
    EXPECT_EQ(run.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.process.exitCode(), 0);
}

TEST_F(ProgramTest, SecondStartEndsAndLeavesTheFirstRunning)
{
    ProgramRun first(home.path(), runtime.path(), SocketPath());
    ASSERT_TRUE(first.StartForwarded());

    // Same program folder: the second start finds the first, says so and ends.
    ProgramRun second(home.path(), runtime.path(), runtime.path() + "/second.sock");
    second.process.start(QStringLiteral(SUNVANE_BIN), {});
    ASSERT_TRUE(second.process.waitForFinished(15000));
    EXPECT_EQ(second.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.process.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(runtime.path() + "/second.sock")); // it never listened
    // It says why it ends: the program already runs.
    EXPECT_TRUE(QString::fromLocal8Bit(second.process.readAllStandardError())
                    .contains("Sunvane V5.4.2 is already running: its window has been brought to the front."));

    // The first one still answers and ends normally.
    EXPECT_EQ(first.Ask("get Form_Main")["visible"].toBool(), true);
    EXPECT_TRUE(first.Ask("close")["ok"].toBool());
    ASSERT_TRUE(first.process.waitForFinished(10000));
    EXPECT_EQ(first.process.exitCode(), 0);
}

// A language choice closes the program and starts it again; the new process is not turned
// away by the old one's lock and comes up in the chosen language.
TEST_F(ProgramTest, LanguageChoiceRestartsTheProgram)
{
    ProgramRun first(home.path(), runtime.path(), SocketPath());
    ASSERT_TRUE(first.StartForwarded());
    EXPECT_EQ(first.Ask("get Label_SelectLanguage")["text"].toString(), "English");
    EXPECT_TRUE(first.Ask("click Image_Country_French")["ok"].toBool());
    ASSERT_TRUE(first.process.waitForFinished(10000));
    EXPECT_EQ(first.process.exitCode(), 0);

    // The new process listens on the same driver path once it is up.
    QLocalSocket socket;
    QByteArray line;
    const bool up = QTest::qWaitFor([&] {
        if (socket.state() != QLocalSocket::ConnectedState) {
            socket.abort();
            socket.connectToServer(SocketPath());
            if (!socket.waitForConnected(100))
                return false;
        }
        socket.write("get Label_SelectLanguage\n");
        if (!socket.waitForReadyRead(2000))
            return false;
        line = socket.readLine();
        return true;
    }, 20000);
    ASSERT_TRUE(up) << "the program did not come back";
    EXPECT_EQ(QJsonDocument::fromJson(line).object()["text"].toString(), "French");
    socket.write("close\n");
    socket.waitForReadyRead(2000);
    socket.readLine();
    // Wait until it has let go of its lock, so that the folder can go.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !QFile::exists(SocketPath()); }, 10000));
}

// German chosen: the program comes back with every translated caption German; English chosen
// there: it comes back in English. Each new process is no child of the test: it is reached
// through the driver socket, which the restarted program opens on the same path.
TEST_F(ProgramTest, GermanAndBackToEnglishThroughRestarts)
{
    QFile file(home.path() + "/profile/LangTable.RQX");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "the shipped language table is missing";
    QHash<QString, QString> german;
    QStringList lines;
    for (const QStringList& row : design::ReadLangTable(file.readAll())) {
        german[row.value(0)] = row.value(1);
        // Without its row, "End ID" stays English.
        if (row.value(0) != "End ID")
            lines << row.join('\t');
    }
    file.close();
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QStringEncoder(QStringEncoder::Utf16LE).encode(lines.join("\r\n")));
    file.close();

    ProgramRun first(home.path(), runtime.path(), SocketPath());
    ASSERT_TRUE(first.StartForwarded());
    const char* names[] = {"Label_SyncClock", "Label2001", "Label2005", "Radio_SendSingle", "Radio_CmdBroadcast"};
    std::map<QString, QString> english;
    for (const char* name : names)
        english[name] = first.TextOf(name);
    EXPECT_TRUE(first.Do("click Image_Country_Genman"));
    ASSERT_TRUE(first.process.waitForFinished(10000));

    QLocalSocket socket;
    auto ask = [&](const QString& request) {
        if (socket.state() != QLocalSocket::ConnectedState) {
            socket.abort();
            socket.connectToServer(SocketPath());
            if (!socket.waitForConnected(100))
                return QJsonObject();
        }
        socket.write(request.toUtf8() + "\n");
        if (!socket.waitForReadyRead(2000)) {
            socket.abort();
            return QJsonObject();
        }
        return QJsonDocument::fromJson(socket.readLine()).object();
    };
    auto waitForLanguage = [&](const QString& language) {
        return QTest::qWaitFor([&] { return ask("get Label_SelectLanguage")["text"].toString() == language; }, 20000);
    };

    ASSERT_TRUE(waitForLanguage("German")) << "the program did not come back in German";
    for (const char* name : names) {
        const QString text = ask(QStringLiteral("get ") + name)["text"].toString();
        EXPECT_EQ(text, german.value(english[name])) << name;
        EXPECT_NE(text, english[name]) << name;
    }
    EXPECT_EQ(ask("get Label2006")["text"].toString(), "End ID");
    QStringList errors;
    for (const auto& line : ask("get List_Event")["lines"].toArray())
        if (line.toString().endsWith(" Search Error"))
            errors << line.toString();
    EXPECT_EQ(errors, QStringList{"End ID Search Error"});

    ask("click Image_Country_USA");
    ASSERT_TRUE(waitForLanguage("English")) << "the program did not come back in English";
    for (const char* name : names)
        EXPECT_EQ(ask(QStringLiteral("get ") + name)["text"].toString(), english[name]) << name;
    ask("close");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !QFile::exists(SocketPath()); }, 10000));
}

// The captions a mode's display options set (AC titles, protection rows, Q(U) curve) are in the
// language chosen, as every other caption is, once the mode is chosen.
TEST_F(ProgramTest, DisplayOptionCaptionsInGermanAndFrenchAfterAModeChoice)
{
    QFile table(home.path() + "/profile/LangTable.RQX");
    ASSERT_TRUE(table.open(QIODevice::ReadOnly)) << "the shipped language table is missing";
    const QList<QStringList> rows = design::ReadLangTable(table.readAll());
    // The "GridTied" mode shows the window's own captions (style 0 of every option).
    const std::map<QString, QString> english = {
        {"Label_GetAC1", "Output 1"}, {"Label_GetAC2", "Output 2"}, {"Label_GetAC3", "Output 3"},
        {"Label76", "F High Off:"},   {"Label116", "F Low On Slow:"}, {"Label71", "U High Off:"},
        {"Label603", "U Low On Slow 2:"}, {"Label63", "Q_Vmax"},     {"Label77", "Lower(V1)"},
    };
    for (int language : {1, 2}) {
        SCOPED_TRACE(language == 1 ? "German" : "French");
        QFile state(home.path() + "/profile/PreviousSet.RQX");
        ASSERT_TRUE(state.open(QIODevice::WriteOnly | QIODevice::Truncate));
        state.write(QStringLiteral("[Language]\nSet=%1\n[Search]\nStartID=1\nEndID=32\n").arg(language).toLatin1());
        state.close();

        ProgramRun run(home.path(), runtime.path(), SocketPath());
        ASSERT_TRUE(run.Start());
        ASSERT_TRUE(run.Do("pickt Combo_SelectMode GridTied"));
        for (const auto& [name, caption] : english) {
            QString expected;
            for (const QStringList& row : rows.mid(1))
                if (row.value(0) == caption && expected.isEmpty())
                    expected = row.value(language);
            ASSERT_FALSE(expected.isEmpty()) << "no translation of " << caption.toStdString();
            EXPECT_EQ(run.TextOf(name), expected) << name.toStdString();
        }
        run.Do("close");
        ASSERT_TRUE(run.process.waitForFinished(10000));
    }
}
