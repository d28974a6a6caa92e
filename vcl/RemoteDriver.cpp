#include "vcl/RemoteDriver.h"

#include "vcl/ComCtrls.h"
#include "vcl/Forms.h"
#include "vcl/Menus.h"
#include "vcl/Services.h"
#include "vcl/StdCtrls.h"
#include "vcl/StringGrid.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <QFile>

#include <cstdio>
#include <sys/stat.h>

namespace vcl {

// Dialogs that never block: they record what they showed and answer from the queue.
class RemoteDriver::Dialogs : public DialogService {
public:
    QStringList shown;
    QStringList answers;
    DialogService* previous = nullptr;

    int MessageBox(const QString& text, const QString&, int flags) override
    {
        shown << text;
        const int buttons = flags & 0x0F;
        return buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? IDYES : IDOK;
    }
    QString InputBox(const QString& caption, const QString& prompt, const QString&) override
    {
        shown << (prompt.isEmpty() ? caption : caption + ": " + prompt);
        return answers.isEmpty() ? QString("Cancel") : answers.takeFirst();
    }
    QString OpenFile(const QString& title, const QString&, const QString&) override
    {
        shown << title;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

namespace {
QString Reply(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString Error(const QString& message)
{
    return Reply(QJsonObject{{"ok", false}, {"error", message}});
}

QJsonArray Array(const QStringList& list)
{
    QJsonArray array;
    for (const QString& s : list)
        array.append(s);
    return array;
}

// "verb rest": the first word and everything after the one space that follows it.
void SplitFirst(const QString& text, QString& first, QString& rest)
{
    const qsizetype space = text.indexOf(' ');
    first = space < 0 ? text : text.left(space);
    rest = space < 0 ? QString() : text.mid(space + 1);
}

RemoteDriver* g_driver = nullptr;   // the one that listens, if any
} // namespace

RemoteDriver::RemoteDriver(const QString& path, TForm* mainForm)
    : server_(std::make_unique<QLocalServer>()), dialogs_(std::make_unique<Dialogs>()), user_(mainForm)
{
    dialogs_->previous = &vcl::Dialogs();
    SetDialogService(dialogs_.get());
    g_driver = this;
    // The socket lets whoever connects act as the user: it is the user's own, whatever the
    // umask. Only an old socket is replaced; any other file at the path is left alone.
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISSOCK(st.st_mode)) {
        refusal_ = QStringLiteral("%1 is not a socket: it is left as it is").arg(path);
        std::fprintf(stderr, "SUNVANE_DRIVER cannot listen at %s: %s\n", path.toLocal8Bit().constData(),
                     refusal_.toLocal8Bit().constData());
        std::fflush(stderr);
        return;
    }
    QLocalServer::removeServer(path);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (server_->listen(path)) {
        QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] { Serve(); });
        std::fprintf(stderr, "SUNVANE_DRIVER listening %s\n", path.toLocal8Bit().constData());
    } else {
        std::fprintf(stderr, "SUNVANE_DRIVER cannot listen at %s: %s\n", path.toLocal8Bit().constData(),
                     server_->errorString().toLocal8Bit().constData());
    }
    std::fflush(stderr);
}

RemoteDriver::~RemoteDriver()
{
    if (g_driver == this)
        g_driver = nullptr;
    server_->close();
    if (&vcl::Dialogs() == dialogs_.get())
        SetDialogService(dialogs_->previous == dialogs_.get() ? nullptr : dialogs_->previous);
}

std::unique_ptr<RemoteDriver> RemoteDriver::StartFromEnvironment(TForm* mainForm)
{
    const QString path = qEnvironmentVariable("SUNVANE_DRIVER");
    if (path.isEmpty())
        return nullptr;
    return std::make_unique<RemoteDriver>(path, mainForm);
}

void RemoteDriver::StopListening()
{
    // Closing removes the socket file: later, in a process that is ending, it would remove the
    // file the next process listens at.
    if (g_driver)
        g_driver->server_->close();
}

bool RemoteDriver::Listening() const
{
    return server_->isListening();
}

QString RemoteDriver::ErrorString() const
{
    return refusal_.isEmpty() ? server_->errorString() : refusal_;
}

void RemoteDriver::Serve()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            while (socket->canReadLine()) {
                QString line = QString::fromUtf8(socket->readLine());
                while (line.endsWith('\n') || line.endsWith('\r'))
                    line.chop(1);
                socket->write(Handle(line).toUtf8() + "\n");
                socket->flush();
            }
        });
    }
}

QString RemoteDriver::Handle(const QString& request)
{
    QString verb, rest, name, argument;
    SplitFirst(request, verb, rest);
    SplitFirst(rest, name, argument);
    try {
        // Actions: checked now, performed from the event loop.
        static const QStringList actions = {"click", "mousedown", "enter", "text", "keys", "pick", "pickt", "top", "dblclick", "tab",
                                            "move", "rightclick", "drag", "menu", "wheel"};
        if (actions.contains(verb)) {
            if (name.isEmpty())
                return Error(QString("%1 needs a control name").arg(verb));
            if ((verb == "enter" || verb == "text" || verb == "keys" || verb == "pick" || verb == "pickt" || verb == "top" || verb == "tab"
                 || verb == "move" || verb == "rightclick" || verb == "drag" || verb == "menu" || verb == "wheel")
                && request.count(' ') < 2)
                return Error(QString("%1 needs an argument").arg(verb));
            user_.Validate(verb, name, argument);
            QTimer::singleShot(0, server_.get(), [this, verb, name, argument] {
                try {
                    if (verb == "click") user_.Click(name);
                    else if (verb == "mousedown") user_.MouseDown(name);
                    else if (verb == "enter") user_.Enter(name, argument);
                    else if (verb == "text") user_.Type(name, argument);
                    else if (verb == "keys") user_.ClickAndType(name, argument);
                    else if (verb == "pick") user_.Pick(name, argument.trimmed().toInt());
                    else if (verb == "pickt") user_.PickText(name, argument);
                    else if (verb == "top") user_.ScrollTop(name, argument.trimmed().toInt());
                    else if (verb == "dblclick" && argument.isEmpty()) user_.DblClick(name);
                    else if (verb == "dblclick") user_.DblClickNode(name, argument);
                    else if (verb == "tab") user_.ChooseTab(name, argument.trimmed().toInt());
                    else if (verb == "menu") user_.Menu(name, argument);
                    else if (verb == "wheel") user_.Wheel(name, argument.trimmed().toInt());
                    else {
                        const QStringList xy = argument.split(u' ', Qt::SkipEmptyParts);
                        const int x = xy.value(0).toInt(), y = xy.value(1).toInt();
                        if (verb == "move") user_.MouseMove(name, x, y);
                        else if (verb == "rightclick") user_.RightClick(name, x, y);
                        else if (verb == "drag") user_.DragBy(name, x, y);
                    }
                } catch (const std::exception& e) {
                    // The state changed between the check and the turn of the event loop.
                    std::fprintf(stderr, "SUNVANE_DRIVER %s %s: %s\n", verb.toLocal8Bit().constData(),
                                 name.toLocal8Bit().constData(), e.what());
                }
            });
            return Reply(QJsonObject{{"ok", true}});
        }
        if (verb == "drop") {
            if (rest.isEmpty())
                return Error("drop needs a path");
            if (!user_.MainForm())
                return Error("no main form");
            QTimer::singleShot(0, server_.get(), [this, rest] { user_.Drop({rest}); });
            return Reply(QJsonObject{{"ok", true}});
        }
        if (verb == "close") {
            if (!user_.MainForm())
                return Error("no main form");
            QTimer::singleShot(0, server_.get(), [this] { user_.Close(); });
            return Reply(QJsonObject{{"ok", true}});
        }
        if (verb == "answer") {
            dialogs_->answers << rest;
            return Reply(QJsonObject{{"ok", true}});
        }
        if (verb == "dialogs") {
            const QStringList shown = dialogs_->shown;
            dialogs_->shown.clear();
            return Reply(QJsonObject{{"ok", true}, {"items", Array(shown)}});
        }
        if (verb == "tree")
            return Reply(QJsonObject{{"ok", true}, {"items", Array(user_.TreeItems())}});
        if (verb == "status") {
            bool ok = false;
            const int panel = rest.trimmed().toInt(&ok);
            if (!ok)
                return Error("status needs a panel number");
            return Reply(QJsonObject{{"ok", true}, {"text", user_.Status(panel)}});
        }
        if (verb == "get") {
            if (name.isEmpty())
                return Error("get needs a control name");
            TComponent* c = user_.Find(name);
            QJsonObject o{{"ok", true}, {"class", c->ClassName()}, {"tag", c->Tag()}};
            if (auto* control = dynamic_cast<TControl*>(c)) {
                o["text"] = control->Text();
                o["color"] = ColorText(control->Font()->Color());
                o["visible"] = control->Visible();
                o["enabled"] = control->Enabled();
                o["height"] = control->Height();
                o["left"] = control->Left();
                o["top"] = control->Top();
                o["width"] = control->Width();
                if (control->Parent())
                    o["parent"] = control->Parent()->Name();
            } else if (auto* item = dynamic_cast<TMenuItem*>(c)) {
                o["text"] = item->Caption();
                o["visible"] = item->Visible();
                o["enabled"] = item->Enabled();
            } else if (auto* timer = dynamic_cast<TTimer*>(c)) {
                o["enabled"] = timer->Enabled();
            }
            if (dynamic_cast<TCheckBox*>(c) || dynamic_cast<TRadioButton*>(c) || dynamic_cast<TMenuItem*>(c))
                o["checked"] = user_.Checked(name);
            if (dynamic_cast<TComboBox*>(c) || dynamic_cast<TListBox*>(c) || dynamic_cast<TPageControl*>(c))
                o["index"] = user_.Index(name);
            if (dynamic_cast<TComboBox*>(c) || dynamic_cast<TListBox*>(c) || dynamic_cast<TTreeView*>(c))
                o["items"] = Array(user_.Items(name));
            if (dynamic_cast<TListBox*>(c))
                o["top"] = user_.Top(name);
            if (auto* box = dynamic_cast<TScrollBox*>(c))
                o["scroll"] = box->VertScrollPosition();
            if (dynamic_cast<TRichEdit*>(c) || dynamic_cast<TListBox*>(c))
                o["lines"] = Array(user_.Lines(name));
            if (dynamic_cast<TStringGrid*>(c)) {
                QJsonArray rows;
                for (const QStringList& row : user_.Cells(name))
                    rows.append(Array(row));
                o["cells"] = rows;
            }
            return Reply(o);
        }
        return Error(QString("unknown request: %1").arg(verb));
    } catch (const std::exception& e) {
        return Error(QString::fromUtf8(e.what()));
    }
}

} // namespace vcl
