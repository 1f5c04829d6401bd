#pragma once
// The program's logic on fakes, its files in a scratch folder: for scenario tests in
// virtual time, widget tests and benchmarks.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "app/configuracion.h"
#include "core/clock.h"
#include "core/virtual_loop.h"
#include "support/test_support.h"

namespace lt::test {

inline QString settingsPathIn(const QTemporaryDir& dir) {
    return dir.filePath(QStringLiteral("Linktally.ini"));
}

struct FakeProgram {
    FakeProgram() = default;
    explicit FakeProgram(const QByteArray& settings) { writeFile(settingsPathIn(dir), settings); }

    QTemporaryDir dir;
    FakeClock clock;
    RecordingMessageBox messages;
    FakeProbe probe;
    FakeCutter cutter;
    Configuracion logic{clock, messages, AppFiles{dir.path(), dir.path()}, probe, cutter};
};

// Starts the program and opens a session on a line that is up, without any timer.
inline void openSession(FakeProgram& p) {
    p.probe.setOnline(true);
    p.logic.Form_Load();
    p.logic.connection().TiConexion_Timer();
    p.logic.sessionClock().TiTiempoConexion_Timer();
}

// A program started at a chosen instant with a settings file, its timers on a virtual
// loop.
class VirtualTimeTest : public ::testing::Test {
  protected:
    void start(OleDate at, const QByteArray& settings) {
        clock.setWall(at);
        writeFile(settingsPathIn(dir), settings);
        logic = std::make_unique<Configuracion>(clock, messages, AppFiles{dir.path(), dir.path()},
                                                probe, cutter);
        for (TimerModel* t : logic->form().timers()) loop.add(*t);
        logic->Form_Load();
    }
    MainForm& form() { return logic->form(); }
    EstadoMonitor& estado() { return logic->estado(); }

    QTemporaryDir dir;
    FakeClock clock;
    VirtualLoop loop{clock};
    RecordingMessageBox messages;
    FakeProbe probe;
    FakeCutter cutter;
    std::unique_ptr<Configuracion> logic;
};

}  // namespace lt::test
