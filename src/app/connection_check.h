#pragma once
// The once-a-second connection check: decides Conectado, describes the way of the
// connection, switches the cost and time-server timers, and ends the connection when
// the schedule asks.
#include "platform/connection.h"

namespace lt {

struct MainForm;
struct EstadoMonitor;
class Clock;

class ConnectionCheck {
  public:
    ConnectionCheck(MainForm& form, EstadoMonitor& estado, const Clock& clock,
                    ConnectionProbe& probe, ConnectionCutter& cutter)
        : form_(form), estado_(estado), clock_(clock), probe_(probe), cutter_(cutter) {}

    void TiConexion_Timer();
    void CheckInternetConn();
    // Ends the connections that carry the link; returns how many were ended.
    int HungUp();
    // The schedule's cut: true when the line was cut and the session must close. When
    // nothing could be cut the session goes on as one session, and the status tab says
    // so once until a cut succeeds again.
    bool cortarConexion();
    // The notice of a cut that found nothing to end goes with the session it was about.
    void olvidarAvisoCorte();
    // The notice in the current language.
    void traducirAvisoCorte();

  private:
    void avisarCorteImposible();

    MainForm& form_;
    EstadoMonitor& estado_;
    const Clock& clock_;
    ConnectionProbe& probe_;
    ConnectionCutter& cutter_;
    bool PrimeraConexionVista = false;
    bool corteImposibleAvisado_ = false;
};

}  // namespace lt
