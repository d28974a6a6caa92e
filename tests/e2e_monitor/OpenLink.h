// The steps an end-to-end test takes before its own: the real program started, a mode chosen,
// the link to the simulator chosen and opened as the user does it, and the first values awaited.
//   testsupport::RemoteProgram run(home.path(), runtime.path());
//   ASSERT_TRUE(openlink::OnRs485(run, bus.Path()));
//   ASSERT_TRUE(openlink::Shows(run, "Label_VantoSN", openlink::kDemoSerial));
#pragma once

#include "support/RemoteProgram.h"

#include <QJsonArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <string>

namespace openlink {

// The serial number the demonstration inverter reports: its version panel has been read.
inline const QString kDemoSerial = QStringLiteral("SV5K20A123456");

// The requests, one by one; fails at the first the program refuses.
inline ::testing::AssertionResult Steps(testsupport::RemoteProgram& run, const QStringList& requests)
{
    for (const QString& request : requests) {
        const QJsonObject reply = run.Ask(request);
        if (!reply["ok"].toBool())
            return ::testing::AssertionFailure() << "\"" << request.toStdString()
                                                 << "\" refused: " << reply["error"].toString().toStdString();
    }
    return ::testing::AssertionSuccess();
}

// Started, `mode` chosen, RS-485 on the simulator's pseudo-terminal, the open button clicked.
inline ::testing::AssertionResult OnRs485(testsupport::RemoteProgram& run, const std::string& port,
                                          const QString& mode = QStringLiteral("Monitor"))
{
    if (!run.Start())
        return ::testing::AssertionFailure() << "the program did not start";
    return Steps(run, {"pickt Combo_SelectMode " + mode, "mousedown Radio_ComRS485",
                       "text Combo_COM " + QString::fromStdString(port), "click OpenPort"});
}

// Started with the Wi-Fi module's address on the loopback port, `mode` chosen, Wi-Fi, the open
// button clicked.
inline ::testing::AssertionResult OnWifi(testsupport::RemoteProgram& run, int port,
                                         const QString& mode = QStringLiteral("Monitor"))
{
    QProcessEnvironment env = run.process.processEnvironment();
    env.insert(QStringLiteral("SUNVANE_WIFI_ADDRESS"), QStringLiteral("127.0.0.1:%1").arg(port));
    run.process.setProcessEnvironment(env);
    if (!run.Start())
        return ::testing::AssertionFailure() << "the program did not start";
    return Steps(run, {"pickt Combo_SelectMode " + mode, "mousedown Radio_ComWifi", "click OpenPort"});
}

// Waits until the control shows `text`.
inline ::testing::AssertionResult Shows(testsupport::RemoteProgram& run, const QString& name, const QString& text,
                                        int timeoutMs = 15000)
{
    if (run.WaitFor([&] { return run.TextOf(name) == text; }, timeoutMs))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << name.toStdString() << " shows \"" << run.TextOf(name).toStdString()
                                         << "\", not \"" << text.toStdString() << "\"";
}

// The message boxes shown since the last ask.
inline QStringList TakeDialogs(testsupport::RemoteProgram& run)
{
    QStringList shown;
    for (const auto& v : run.Ask(QStringLiteral("dialogs"))["items"].toArray())
        shown << v.toString();
    return shown;
}

// The message boxes shown from now until one reads `last` (or the deadline).
inline QStringList DialogsUntil(testsupport::RemoteProgram& run, const QString& last, int timeoutMs = 20000)
{
    QStringList all;
    run.WaitFor([&] {
        all << TakeDialogs(run);
        return all.contains(last);
    }, timeoutMs);
    return all;
}

} // namespace openlink
