// The kit's replaceable services. The program uses the real ones; tests install their own
// (scaled time, scripted dialogs) so that nothing blocks on a modal box or waits in real time.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace vcl {

// Time: every wait of the program goes through here, on a monotonic clock.
class TimeService {
public:
    virtual ~TimeService() = default;
    // Milliseconds on a monotonic clock (arbitrary origin).
    virtual std::int64_t NowMs();
    // A blocking pause that pumps no window messages.
    virtual void Sleep(int ms);
    // One step of about 10 ms of a pumped wait; pumps nothing itself.
    virtual void WaitTenMs();
    // Lets the window library process all pending events (clicks, timers).
    virtual void Pump();
};

// Real time scaled by a factor (0.1 = ten times faster); for tests.
class ScaledTimeService : public TimeService {
public:
    explicit ScaledTimeService(double factor) : factor_(factor) {}
    void Sleep(int ms) override;
    void WaitTenMs() override;
    double factor() const { return factor_; }
private:
    double factor_;
};

TimeService& Time();
// Installs a service (not owned); nullptr restores the real one.
void SetTimeService(TimeService* service);

// Processes all pending window events (the class library's ProcessMessages).
void ProcessMessages();

// Message-box flags and results, with the values of the class library.
enum : int {
    MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_YESNOCANCEL = 0x3, MB_YESNO = 0x4,
    MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20, MB_ICONWARNING = 0x30, MB_ICONINFORMATION = 0x40,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// Dialogs: message boxes, the text prompt and the open dialog.
class DialogService {
public:
    virtual ~DialogService() = default;
    // Shows a modal message box; returns IDOK, IDCANCEL, IDYES or IDNO.
    virtual int MessageBox(const QString& text, const QString& caption, int flags);
    // The modal prompt: the typed text on OK, "Cancel" when closed in any other way.
    // An initial value of exactly "Password" masks the typed characters.
    virtual QString InputBox(const QString& caption, const QString& prompt, const QString& value);
    // The open dialog: the chosen path, or an empty text when cancelled.
    virtual QString OpenFile(const QString& title, const QString& filter, const QString& folder);
};

DialogService& Dialogs();
// Installs a service (not owned); nullptr restores the real one.
void SetDialogService(DialogService* service);

// The prompt dialog itself (what the real service shows): value holds the initial text on entry
// and the answer on return: the edit's text on OK, "Cancel" when closed in any other way. An
// initial text of exactly "Password" masks the typing with "*". Always returns true.
bool InputQuery(const QString& caption, const QString& prompt, QString& value);

// Shortcuts through the dialog service.
int MessageBox(const QString& text, const QString& caption = QString(), int flags = MB_OK);
QString InputBox(const QString& caption, const QString& prompt, const QString& value);

} // namespace vcl
