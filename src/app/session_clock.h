#pragma once
// The session clock: on each tick it opens or advances the running session and fills
// the status tab, or closes the session once the line is down.
#include <QString>
#include <cstdint>
#include <functional>

#include "core/ole_date.h"

namespace lt {

struct MainForm;
struct EstadoMonitor;
class Clock;
class CostCalculator;
class SettingsLock;

// What the session clock asks of the subsystems around it.
struct SessionHooks {
    std::function<void()> checkViolacionTiempoPC;
    std::function<void()> interrupcionProgramada;
    std::function<void()> tiServerInternet;
    std::function<void()> cargarGrilla;
    std::function<void()> guardarSesion;
    std::function<void()> graficaPorSesion;
    std::function<void()> tickDone;       // after every connected tick
    std::function<void()> sesionNueva;    // the first tick of a session
    std::function<void()> sesionCerrada;  // after a session is stored and the tab cleared
};

class SessionClock {
  public:
    SessionClock(MainForm& form, EstadoMonitor& estado, const Clock& clock, CostCalculator& cost,
                 SettingsLock& lock, QString animationPath, SessionHooks hooks);

    void TiTiempoConexion_Timer();
    // Logout, shutdown or SIGTERM with the line still up: the running session ends now,
    // as a dropped line would end it.
    void cerrarSesionEnCurso();
    // The first tick after a sleep, whichever timer it is: the session ends where the
    // sleep began, before anything prices the sleep. True when it did.
    bool cerrarSiDormido();
    void BarraDeProgreso();
    // The session-clock interval from TimerConexion in milliseconds; an empty, zero or
    // unreadable setting gives 5 seconds so that the clock never stops.
    int intervaloSesion() const;

  private:
    void avanzarSesion();
    void cerrarSesion(bool dormido);
    void restartSessionStart();
    bool dormido() const;
    void contarHora();
    void iniciarAnimacion();
    void detenerAnimaciones();

    MainForm& form_;
    EstadoMonitor& estado_;
    const Clock& clock_;
    CostCalculator& cost_;
    SettingsLock& lock_;
    QString animationPath_;
    SessionHooks hooks_;
    OleDate prevTickWall_ = 0;
    std::int64_t prevTickMono_ = 0;
    bool HoraContadaAntes = false;
    bool AnimacionIniciada = false;
};

}  // namespace lt
