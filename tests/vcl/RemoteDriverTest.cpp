// The remote user driver: its protocol in-process, and the real program driven over its socket.
#include "KitTestApp.h"
#include "vcl/Kit.h"
#include "vcl/RemoteDriver.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

using namespace vcl;

namespace {

QJsonObject Json(const QString& reply)
{
    return QJsonDocument::fromJson(reply.toUtf8()).object();
}

QStringList Texts(const QJsonValue& v)
{
    QStringList out;
    for (const QJsonValue& item : v.toArray())
        out << item.toString();
    return out;
}

class RemoteDriverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        ASSERT_TRUE(dir.isValid());
        holder = std::make_unique<TForm>();
        TForm& form = *holder;
        form.SetName("Form_Main");
        form.SetCaption("Sunvane V5.4.2");
        label = new TLabel(&form);
        label->SetName("Label_FixCos");
        label->SetParent(&form);
        label->SetCaption("??");
        edit = new TEdit(&form);
        edit->SetName("Edit_FixCos");
        edit->SetParent(&form);
        edit->OnKeyDown = [this](TObject*, WORD& key, TShiftState) {
            if (key == VK_RETURN) {
                label->SetCaption(edit->Text());
                label->Font()->SetColor(clRed);
            }
        };
        combo = new TComboBox(&form);
        combo->SetName("Combo_Mode");
        combo->SetParent(&form);
        combo->SetStyle(csDropDownList);
        combo->Items()->Add("Monitor");
        combo->Items()->Add("Super User");
        combo->OnChange = [this](TObject*) { changes++; };
        auto* button = new TButton(&form);
        button->SetName("Btn_Ask");
        button->SetParent(&form);
        button->OnClick = [this](TObject*) {
            asked << InputBox("Input Password Please", "", "Password");
            MessageBox("Password Error");
        };
        form.Show();
    }

    QTemporaryDir dir;
    std::unique_ptr<TForm> holder;
    TLabel* label = nullptr;
    TEdit* edit = nullptr;
    TComboBox* combo = nullptr;
    int changes = 0;
    QStringList asked;
};

// The socket is the user's own whatever the umask; a path that names anything but a socket is
// refused and left as it was.
TEST_F(RemoteDriverTest, TheSocketIsOwnerOnlyAndNoOtherFileIsTaken)
{
    const mode_t oldMask = ::umask(0);
    const QString path = dir.filePath("driver.sock");
    {
        RemoteDriver driver(path, holder.get());
        ::umask(oldMask);
        ASSERT_TRUE(driver.Listening()) << driver.ErrorString().toStdString();
        struct stat st {};
        ASSERT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0);
        EXPECT_TRUE(S_ISSOCK(st.st_mode));
        EXPECT_EQ(st.st_mode & 077, 0u) << std::oct << (st.st_mode & 0777);
    }
    ::umask(oldMask);

    // A stale socket left behind is taken over.
    {
        RemoteDriver first(path, holder.get());
        ASSERT_TRUE(first.Listening());
    }
    for (const char* kind : {"file", "folder"}) {
        SCOPED_TRACE(kind);
        const QString taken = dir.filePath(QStringLiteral("taken-%1").arg(kind));
        if (QLatin1String(kind) == QLatin1String("file")) {
            QFile f(taken);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("keep me");
        } else {
            ASSERT_TRUE(QDir().mkpath(taken + "/inside"));
        }
        RemoteDriver driver(taken, holder.get());
        EXPECT_FALSE(driver.Listening());
        EXPECT_TRUE(driver.ErrorString().contains("not a socket")) << driver.ErrorString().toStdString();
        if (QLatin1String(kind) == QLatin1String("file")) {
            QFile f(taken);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(f.readAll(), "keep me");
        } else {
            EXPECT_TRUE(QFileInfo(taken + "/inside").isDir());
        }
    }
}

TEST_F(RemoteDriverTest, ActionsAreAnsweredFirstAndPerformedFromTheEventLoop)
{
    RemoteDriver driver(dir.filePath("drv"), holder.get());
    ASSERT_TRUE(driver.Listening()) << driver.ErrorString().toStdString();

    EXPECT_TRUE(Json(driver.Handle("enter Edit_FixCos 0.95")).value("ok").toBool());
    EXPECT_EQ(label->Caption(), "??"); // not yet: the event loop performs it
    QCoreApplication::processEvents();
    const QJsonObject got = Json(driver.Handle("get Label_FixCos"));
    EXPECT_EQ(got.value("class").toString(), "TLabel");
    EXPECT_EQ(got.value("text").toString(), "0.95");
    EXPECT_EQ(got.value("color").toString(), "0x0000FF");
    EXPECT_TRUE(got.value("visible").toBool());
    EXPECT_TRUE(got.value("enabled").toBool());

    driver.Handle("pick Combo_Mode 1");
    driver.Handle("pickt Combo_Mode Monitor");
    QCoreApplication::processEvents();
    const QJsonObject c = Json(driver.Handle("get Combo_Mode"));
    EXPECT_EQ(c.value("index").toInt(), 0);
    EXPECT_EQ(Texts(c.value("items")), (QStringList{"Monitor", "Super User"}));
    EXPECT_EQ(changes, 2);

    const QJsonObject main = Json(driver.Handle("get Form_Main"));
    EXPECT_EQ(main.value("text").toString(), "Sunvane V5.4.2");
}

TEST_F(RemoteDriverTest, DialogsDoNotBlockAndAreRecorded)
{
    RemoteDriver driver(dir.filePath("drv"), holder.get());
    driver.Handle("answer 4780");
    driver.Handle("click Btn_Ask");
    driver.Handle("click Btn_Ask"); // no answer queued: the prompt is cancelled
    QCoreApplication::processEvents();
    EXPECT_EQ(asked, (QStringList{"4780", "Cancel"}));
    const QJsonObject d = Json(driver.Handle("dialogs"));
    EXPECT_EQ(Texts(d.value("items")),
              (QStringList{"Input Password Please", "Password Error", "Input Password Please", "Password Error"}));
    EXPECT_TRUE(Texts(Json(driver.Handle("dialogs")).value("items")).isEmpty());
}

TEST_F(RemoteDriverTest, BadRequestsGetAnErrorAndDoNothing)
{
    RemoteDriver driver(dir.filePath("drv"), holder.get());
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"click Nothing", "no control named Nothing"},
        {"frobnicate", "unknown request: frobnicate"},
        {"pick Combo_Mode 2", "has no item 2"},
        {"pick Edit_FixCos 0", "is not a combo box"},
        {"mousedown Edit_FixCos", "is not a radio button or check box"},
        {"enter Edit_FixCos", "enter needs an argument"},
        {"status 0", "the main form has no status bar"},
        {"get", "get needs a control name"},
    };
    for (const auto& [request, error] : cases) {
        const QJsonObject r = Json(driver.Handle(request));
        EXPECT_FALSE(r.value("ok").toBool()) << request;
        EXPECT_TRUE(r.value("error").toString().contains(error)) << request << ": " << r.value("error").toString().toStdString();
    }
    edit->SetEnabled(false);
    EXPECT_FALSE(Json(driver.Handle("enter Edit_FixCos 1")).value("ok").toBool());
    QCoreApplication::processEvents();
    EXPECT_EQ(label->Caption(), "??");
    EXPECT_EQ(changes, 0);
}

// What a user reads in a log pane and a grid: a rich edit's lines (in their colours, one line
// each), a list box's items, a string grid's cells row by row with its fixed row and column.
TEST_F(RemoteDriverTest, LogPanesGiveTheirLinesAndGridsTheirCells)
{
    auto* log = new TRichEdit(holder.get());
    log->SetName("List_Event");
    log->SetParent(holder.get());
    log->Lines()->Add("COM Open");
    log->AddLine("NoRx/Error:1/2", clRed);
    log->Lines()->Add("two\nlines");
    auto* list = new TListBox(holder.get());
    list->SetName("List_Found");
    list->SetParent(holder.get());
    list->Items()->Add("ID:001");
    auto* grid = new TStringGrid(holder.get());
    grid->SetName("Grid_HEX");
    grid->SetParent(holder.get());
    grid->SetColCount(3);
    grid->SetRowCount(2);
    grid->SetCells(1, 0, "Address");
    grid->SetCells(2, 0, "1");
    grid->SetCells(0, 1, "1");
    grid->SetCells(1, 1, "0001FC00");
    grid->SetCells(2, 1, "22");
    grid->SetCells(2, 5, "outside the grid");

    RemoteDriver driver(dir.filePath("drv"), holder.get());
    EXPECT_EQ(Texts(Json(driver.Handle("get List_Event")).value("lines")),
              (QStringList{"COM Open", "NoRx/Error:1/2", "two", "lines"}));
    EXPECT_EQ(Texts(Json(driver.Handle("get List_Found")).value("lines")), QStringList{"ID:001"});
    const QJsonArray rows = Json(driver.Handle("get Grid_HEX")).value("cells").toArray();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(Texts(rows[0]), (QStringList{"", "Address", "1"}));
    EXPECT_EQ(Texts(rows[1]), (QStringList{"1", "0001FC00", "22"}));
    log->Clear();
    EXPECT_EQ(Json(driver.Handle("get List_Event")).value("lines"), QJsonArray{});
    // Controls without lines or cells answer without them.
    const QJsonObject plain = Json(driver.Handle("get Label_FixCos"));
    EXPECT_FALSE(plain.contains("lines"));
    EXPECT_FALSE(plain.contains("cells"));
}

// The real program: started with SUNVANE_DRIVER (and a program folder and lock folder of its
// own), driven over the socket from this process.
class Program {
public:
    explicit Program(const QString& home, const QString& runtime)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SUNVANE_DRIVER", runtime + "/sunvane.drv");
        env.insert("SUNVANE_HOME", home);
        env.insert("SUNVANE_INSTANCE_DIR", runtime);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(SUNVANE_BIN, {});
        // Wait until it says it listens.
        QByteArray out;
        const QDeadlineTimer started(10000);
        while (!out.contains("SUNVANE_DRIVER listening") && !started.hasExpired()
               && process.waitForReadyRead(static_cast<int>(started.remainingTime())))
            out += process.readAll();
        listening = out.contains("SUNVANE_DRIVER listening");
        socket.connectToServer(runtime + "/sunvane.drv");
        connected = socket.waitForConnected(5000);
    }
    ~Program()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    QJsonObject Ask(const QString& request)
    {
        socket.write(request.toUtf8() + "\n");
        socket.flush();
        const QDeadlineTimer replied(10000);
        while (!socket.canReadLine())
            if (replied.hasExpired() || !socket.waitForReadyRead(static_cast<int>(replied.remainingTime())))
                return QJsonObject{{"ok", false}, {"error", "no reply"}};
        return Json(QString::fromUtf8(socket.readLine()).trimmed());
    }
    // Asks until the reply's field has the value (each ask is one turn of the program's loop).
    bool AskUntil(const QString& request, const QString& field, const QJsonValue& value)
    {
        for (int i = 0; i < 200; ++i)
            if (Ask(request).value(field) == value)
                return true;
        return false;
    }

    QProcess process;
    QLocalSocket socket;
    bool listening = false, connected = false;
};

TEST(RemoteDriverProgram, DrivesTheRealProgramOverItsSocket)
{
    EnsureApp();
    QTemporaryDir home, runtime;
    Program program(home.path(), runtime.path());
    ASSERT_TRUE(program.listening);
    ASSERT_TRUE(program.connected);

    const QJsonObject main = program.Ask("get Form_Main");
    EXPECT_TRUE(main.value("ok").toBool());
    EXPECT_EQ(main.value("text").toString(), "Sunvane V5.4.2");
    EXPECT_TRUE(main.value("visible").toBool());

    // A click whose handler shows a message box: the box is recorded and does not block.
    EXPECT_TRUE(program.Ask("click OpenPort").value("ok").toBool());
    EXPECT_TRUE(program.AskUntil("dialogs", "items", QJsonArray{"You have to select Monitor Mode first"}));
    EXPECT_EQ(Texts(program.Ask("dialogs").value("items")), QStringList{});
    EXPECT_TRUE(program.Ask("get OpenPort").value("enabled").toBool());

    EXPECT_FALSE(program.Ask("click NoSuchControl").value("ok").toBool());
    EXPECT_TRUE(program.Ask("status 0").value("ok").toBool());

    EXPECT_TRUE(program.Ask("close").value("ok").toBool());
    ASSERT_TRUE(program.process.waitForFinished(10000));
    EXPECT_EQ(program.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.process.exitCode(), 0);
}

TEST(RemoteDriverProgram, NothingListensWithoutTheVariable)
{
    qunsetenv("SUNVANE_DRIVER");
    EnsureApp();
    TForm form;
    EXPECT_EQ(RemoteDriver::StartFromEnvironment(&form), nullptr);
}

} // namespace
