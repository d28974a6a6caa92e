#include "vcl/Services.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include <chrono>
#include <thread>

namespace vcl {

std::int64_t TimeService::NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void TimeService::Sleep(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void TimeService::WaitTenMs()
{
    // A monotonic clock: a wrap of the wall clock's seconds never shortens the step.
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

void TimeService::Pump()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void ScaledTimeService::Sleep(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(static_cast<std::int64_t>(ms * 1000 * factor_)));
}

void ScaledTimeService::WaitTenMs()
{
    std::this_thread::sleep_for(std::chrono::microseconds(static_cast<std::int64_t>(10000 * factor_)));
}

namespace {
TimeService g_realTime;
TimeService* g_time = &g_realTime;
DialogService g_realDialogs;
DialogService* g_dialogs = &g_realDialogs;
} // namespace

TimeService& Time() { return *g_time; }
void SetTimeService(TimeService* service) { g_time = service ? service : &g_realTime; }
void ProcessMessages() { g_time->Pump(); }

int DialogService::MessageBox(const QString& text, const QString& caption, int flags)
{
    QMessageBox box;
    // Without a caption the box carries the application's title, as the class library's does.
    box.setWindowTitle(caption.isEmpty() ? QCoreApplication::applicationName() : caption);
    box.setText(text);
    switch (flags & 0xF0) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    switch (flags & 0x0F) {
    case MB_OKCANCEL: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MB_YESNOCANCEL: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel); break;
    case MB_YESNO: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return (flags & 0x0F) == MB_OK ? IDOK : IDCANCEL;
    }
}

QString DialogService::InputBox(const QString& caption, const QString& prompt, const QString& value)
{
    QString answer = value;
    InputQuery(caption, prompt, answer);
    return answer;
}

QString DialogService::OpenFile(const QString& title, const QString& filter, const QString& folder)
{
    return QFileDialog::getOpenFileName(nullptr, title, folder, filter);
}

DialogService& Dialogs() { return *g_dialogs; }
void SetDialogService(DialogService* service) { g_dialogs = service ? service : &g_realDialogs; }

int MessageBox(const QString& text, const QString& caption, int flags)
{
    return g_dialogs->MessageBox(text, caption, flags);
}

QString InputBox(const QString& caption, const QString& prompt, const QString& value)
{
    return g_dialogs->InputBox(caption, prompt, value);
}

} // namespace vcl
