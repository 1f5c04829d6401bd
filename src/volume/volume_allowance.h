#pragma once
// The bytes of the running session, and the period's use of every allowance: data by
// day, week or billing month, the connection-time allowance of the schedule, and a money
// budget. Warns at the chosen shares and before a cut, ends the line when the data
// allowance is used up (or only says so), and shows use, what is left and the forecast.
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <vector>

#include "platform/traffic_counters.h"
#include "stats/statistics.h"
#include "volume/allowance_warnings.h"
#include "volume/volume_meter.h"

namespace lt {

struct MainForm;
struct EstadoMonitor;
class Clock;

class Messages;

class VolumeAllowance {
  public:
    struct Hooks {
        // Ends the line; true when it did (the session then closes).
        std::function<bool()> cortar;
        // A desktop notification, or the tray's balloon where there is none.
        std::function<void(const Notification&)> notificar;
        // The settings file takes what changed (the accepted allowance, the warnings given).
        std::function<void()> guardarAjustes;
    };

    VolumeAllowance(MainForm& form, EstadoMonitor& estado, const Clock& clock,
                    TrafficCounters& counters, Messages& messages, Hooks hooks);
    VolumeAllowance(const VolumeAllowance&) = delete;
    VolumeAllowance& operator=(const VolumeAllowance&) = delete;

    // The history's rows (eight texts each): the recent days' bytes and costs.
    void cargar(const std::vector<SesionesDelDia>& history);
    void sesionGuardada(const QStringList& row);
    void vaciar();

    void setCounters(TrafficCounters& counters) { counters_ = &counters; }

    // The session's first tick: its bytes count from the counters as they are now.
    void sesionNueva();
    // Every connection tick: the session's bytes, then the allowances.
    void tick();
    // The session was stored: the next one starts from nothing.
    void sesionCerrada();

    // "Accept allowance": checks every box, says what is wrong, else takes them.
    void aceptar();
    // The status lines, the tray's lines and ring, in the current language.
    void mostrar();
    // The period list in the current language, then mostrar().
    void traducir();

  private:
    struct Dia {
        double bytes = 0;
        double cost = 0;
    };
    struct Uso {
        double used = 0;
        double limit = 0;  // 0: no allowance
        std::optional<BillingPeriod> period;
    };

    void sumar(const QString& fecha, const QString& costo, const QString& recibidos,
               const QString& enviados);
    void aplicarUmbrales();
    void restaurarAvisos();
    bool enSesion() const;
    Uso usoVolumen() const;
    Uso usoDinero() const;
    Uso usoTiempo() const;
    double sumaDias(const BillingPeriod& p, double Dia::*campo) const;
    void revisar(Measure m, const Uso& uso);
    void revisarCorteVolumen(const Uso& uso);
    void revisarCortesProximos(const Uso& tiempo, const Uso& volumen);
    void notificar(const Notification& n);
    QString lineaUso(Measure m, const Uso& uso) const;
    QString lineaPronostico(Measure m, const Uso& uso) const;
    // The period's uses already worked out by this tick.
    void mostrar(const Uso& tiempo, const Uso& datos, const Uso& dinero);

    MainForm& form_;
    EstadoMonitor& estado_;
    const Clock& clock_;
    TrafficCounters* counters_;
    Messages& messages_;
    Hooks hooks_;
    VolumeMeter meter_;
    std::vector<InterfaceBytes> reading_;
    AllowanceWarnings warnings_;
    std::map<long long, Dia> dias_;          // by day number, the recent weeks only
    QString corteImposibleDicho_;            // the period in which an impossible cut was said
    std::int64_t ultimoIntentoFallido_ = 0;  // monotonic ms of a cut that ended nothing
};

}  // namespace lt
