#pragma once
// The program's logic on fakes, its files in a scratch folder: for scenario tests in
// virtual time and benchmarks.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "app/configuracion.h"
#include "core/clock.h"
#include "core/virtual_loop.h"
#include "settings/ini_file.h"
#include "support/test_support.h"

namespace lt::test {

// Tariff 2 an hour from 08:00 to 20:00 and 1 outside it, no tax, no cuts; ticks every second.
inline const QByteArray kSettings =
    "[tiempos y costos semanales]\nDesdeSemanaHH=08\nDesdeSemanaMM=00\nDesdeSemanaSS=00\n"
    "HastaSemanaHH=20\nHastaSemanaMM=00\nHastaSemanaSS=00\nCostoDesdeHasta=2\nCostoResto=1\n"
    "[Intervalos timers]\nTimerConexion=1\nTimerCosto=1\n[Idiomas]\nCodigoIdioma=0\n"
    "[Costos]\nAjusteCosto=S\nCostoIVA=0\nCostoAcumuladoPorSesion=000.00\n"
    "[Flags]\nQueDia=N\nServerTime=0\n";

inline QByteArray with(QByteArray settings, const char* from, const char* to) {
    return settings.replace(from, to);
}

inline OleDate at(int y, int mo, int d, int h, int mi, int s) {
    return oleFromParts(y, mo, d) + oleFromTime(h, mi, s);
}

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

// Runs of the program on the same files, clock and line, its timers on a virtual loop.
class VirtualTimeTest : public ::testing::Test {
  protected:
    // Writes the settings file (none when null) and starts a run.
    void start(OleDate when, const QByteArray& settings = kSettings) {
        clock.setWall(when);
        if (!settings.isNull()) writeFile(settingsPathIn(dir), settings);
        boot();
    }
    // The run ends without closing anything, as when the program is killed.
    void crash() {
        loop.reset();
        logic.reset();
    }
    // A new run on what the last one left on disk.
    void boot() {
        crash();
        messages.shown.clear();
        logic = std::make_unique<Configuracion>(clock, messages, AppFiles{dir.path(), dir.path()},
                                                probe, cutter);
        loop.emplace(clock);
        for (TimerModel* t : logic->form().timers()) loop->add(*t);
        logic->Form_Load();
        if (activate) logic->Form_Activate();
    }
    void run(double seconds) { loop->runForSeconds(seconds); }
    void online(double seconds) {
        probe.setOnline(true);
        run(seconds);
    }
    void offline(double seconds) {
        probe.setOnline(false);
        run(seconds);
    }
    QString ini(const char* section, const char* key) const {
        return LeerValorINI(settingsPathIn(dir), QString::fromLatin1(section),
                            QString::fromLatin1(key));
    }
    MainForm& form() { return logic->form(); }
    EstadoMonitor& estado() { return logic->estado(); }
    int rows() { return form().MSFlexGrid_Estado.rowCount(); }
    // The six texts of a stored session; bytes are looked at on their own.
    QStringList row(int r) { return form().MSFlexGrid_Estado.row(r).mid(0, 6); }
    int told(const char* start) const {
        int n = 0;
        for (const auto& m : messages.shown) n += m.text.startsWith(QString::fromUtf8(start));
        return n;
    }

    QTemporaryDir dir;
    FakeClock clock;
    RecordingMessageBox messages;
    FakeProbe probe;
    FakeCutter cutter;
    bool activate = false;  // Form_Activate after the load, as the window's first showing does
    std::unique_ptr<Configuracion> logic;
    std::optional<VirtualLoop> loop;
};

}  // namespace lt::test
