#pragma once
// Today's and this calendar month's time on line and cost, beside the running session:
// the finished sessions of the month are added up once at start and one at a time after,
// by the day they started (as the charts count them).
#include <QString>
#include <map>

#include "core/ole_date.h"
#include "stats/statistics.h"

namespace lt {

struct MainForm;
struct EstadoMonitor;
class Clock;

class PeriodSummary {
  public:
    PeriodSummary(MainForm& form, const EstadoMonitor& estado, const Clock& clock)
        : form_(form), estado_(estado), clock_(clock) {}

    // The month's sessions from the history's day totals.
    void cargar(const std::vector<SesionesDelDia>& history);
    // A finished session: date, start, end, duration, cost, accumulated cost.
    void sesionGuardada(const QStringList& row);
    // The history was cleared.
    void vaciar();
    // Writes both lines, the running session included, in the current language.
    void mostrar();

  private:
    struct Totales {
        long long seconds = 0;
        double cost = 0;
    };
    void sumar(const QString& fecha, const QString& duracion, const QString& costo);
    QString linea(const char* english, const char* spanish, const Totales& t) const;

    MainForm& form_;
    const EstadoMonitor& estado_;
    const Clock& clock_;
    int year_ = 0, month_ = 0;     // the month the days below belong to
    std::map<int, Totales> days_;  // by day of the month
};

}  // namespace lt
