// The real program, driven from outside through its remote user driver: a mode is chosen, a
// Config page opened with an access code, and the panels on it read back; a second start of
// the program ends at once and leaves the first one running.
#include "design/LayoutFile.h"
#include "design/ModeState.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void EnsureCoreApplication()
{
    static int argc = 1;
    static char* argv[] = {(char*)"test_e2e_window", nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

bool CopyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + path.mid(from.size());
        if (it.fileInfo().isDir())
            QDir().mkpath(target);
        else if (!QFile::copy(path, target))
            return false;
        else
            QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    return true;
}

// One program run with its own program folder, lock folder and driver socket.
class ProgramRun {
public:
    explicit ProgramRun(const QString& home, const QString& lockDir, const QString& socket)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SUNVANE_HOME", home);
        env.insert("SUNVANE_INSTANCE_DIR", lockDir);
        env.insert("SUNVANE_DRIVER", socket);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        socketPath = socket;
    }
    ~ProgramRun()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    bool Start()
    {
        process.start(QStringLiteral(SUNVANE_BIN), {});
        if (!process.waitForStarted(10000))
            return false;
        // The program says on stderr when its driver listens.
        QByteArray err;
        const bool listening = QTest::qWaitFor([&] {
            process.waitForReadyRead(50);
            err += process.readAllStandardError();
            return err.contains("SUNVANE_DRIVER listening") || process.state() == QProcess::NotRunning;
        }, 15000);
        if (!listening || !err.contains("SUNVANE_DRIVER listening"))
            return false;
        socket.connectToServer(socketPath);
        return socket.waitForConnected(5000);
    }

    QJsonObject Ask(const QString& request)
    {
        socket.write(request.toUtf8() + "\n");
        socket.waitForBytesWritten(5000);
        QByteArray line;
        const bool answered = QTest::qWaitFor([&] {
            if (socket.canReadLine() || socket.waitForReadyRead(50))
                line += socket.readLine();
            return line.endsWith('\n');
        }, 10000);
        if (!answered)
            return QJsonObject{{"ok", false}, {"error", "no answer"}};
        return QJsonDocument::fromJson(line).object();
    }

    QProcess process;
    QLocalSocket socket;
    QString socketPath;
};

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureCoreApplication();
        ASSERT_TRUE(CopyTree(QStringLiteral(SUNVANE_SOURCE_DIR "/resources/program"), home.path()));
    }
    QString SocketPath() const { return runtime.path() + "/driver.sock"; }

    QTemporaryDir home;
    QTemporaryDir runtime;
};

} // namespace

TEST_F(ProgramTest, ConfigPageOpenedWithACodeShowsItsLayout)
{
    ProgramRun run(home.path(), runtime.path(), SocketPath());
    ASSERT_TRUE(run.Start());

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
    ASSERT_TRUE(first.Start());

    // Same program folder: the second start finds the first and ends without a window.
    ProgramRun second(home.path(), runtime.path(), runtime.path() + "/second.sock");
    second.process.start(QStringLiteral(SUNVANE_BIN), {});
    ASSERT_TRUE(second.process.waitForFinished(15000));
    EXPECT_EQ(second.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.process.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(runtime.path() + "/second.sock")); // it never listened

    // The first one still answers and ends normally.
    EXPECT_EQ(first.Ask("get Form_Main")["visible"].toBool(), true);
    EXPECT_TRUE(first.Ask("close")["ok"].toBool());
    ASSERT_TRUE(first.process.waitForFinished(10000));
    EXPECT_EQ(first.process.exitCode(), 0);
}
