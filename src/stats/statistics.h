#pragma once
// The statistics tab: time, cost and bytes of the stored sessions charted per session,
// day, week or month. The grouped charts write their group rows into the history grid,
// which shows them until the history is next loaded.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/chart.h"

namespace lt {

struct MainForm;
struct EstadoMonitor;
class Grid;
class GridRows;

enum class Periodo { Sesion, Dia, Semana, Mes };

// One group of sessions (a calendar day, a week starting on Monday, a calendar month).
struct GrupoSesiones {
    QString label;          // "dd/MM/yyyy" (day; the week's Monday) or "MM/yyyy" (month)
    long long seconds = 0;  // the sessions' durations added up, whole hours carried
    double cost = 0;        // the sessions' costs added up
    double totalCost = 0;   // the accumulated cost of the group's last session
    // The bytes of the group's sessions added up; none when no session had them counted.
    std::optional<std::int64_t> received{};
    std::optional<std::int64_t> sent{};
};

// The sessions that began on one day, added up: what every grouping, the month's totals
// and the allowances are made of.
struct SesionesDelDia {
    long long day = 0;  // day number: days since 30/12/1899
    long long seconds = 0;
    double cost = 0;
    // The accumulated cost of the day's latest session, and when that session began
    // (seconds into the day; -1 when unreadable).
    double lastTotalCost = 0;
    long long lastStart = -1;
    std::optional<std::int64_t> received{};
    std::optional<std::int64_t> sent{};
};

// Rows (read through cell(row, column), the history's columns) added up per day, days in
// order; rows whose date cannot be read are left out. Of sessions that began at the same
// second, the later row is the day's latest.
std::vector<SesionesDelDia> sesionesPorDia(int rows, const std::function<QString(int, int)>& cell);
// Adds the days of later rows into `days`; both in day order.
void juntarDias(std::vector<SesionesDelDia>& days, const std::vector<SesionesDelDia>& later);
// Adds a later row's day into the same day.
void juntarDia(SesionesDelDia& day, const SesionesDelDia& later);
// Days folded into groups of the period (not Sesion), in time order.
std::vector<GrupoSesiones> agruparDias(const std::vector<SesionesDelDia>& days, Periodo periodo);

// The same fold a day at a time, as days are read, in order.
class AgrupadorDias {
  public:
    explicit AgrupadorDias(Periodo periodo) : periodo_(periodo) {}
    void add(const SesionesDelDia& d);
    std::vector<GrupoSesiones> take() { return std::move(groups_); }

  private:
    Periodo periodo_;
    long long key_ = 0;
    std::vector<GrupoSesiones> groups_;
};

// A stored byte count: decimal digits only. Empty (a session stored before bytes were
// counted) or anything else is none.
std::optional<std::int64_t> bytesOf(const QString& text);
// Adds counted bytes to a sum that stops at the largest value; uncounted ones add nothing.
void addBytes(std::optional<std::int64_t>& sum, std::optional<std::int64_t> bytes);

// The rows of the history grid grouped by period; rows whose date cannot be read are
// left out. Works on the texts of each row, in the grid's order.
std::vector<GrupoSesiones> agrupar(const Grid& grid, Periodo periodo);
// The chart points: one per session ("dd/MM hh:mm" labels), the newest kSesionesEnGrafica
// of them (older ones are read in the day, week and month charts), or one per group.
constexpr int kSesionesEnGrafica = 5000;
std::vector<ChartPoint> puntosPorSesion(const Grid& grid);
std::vector<ChartPoint> puntosPorSesion(const GridRows& rows);
std::vector<ChartPoint> puntosDeGrupos(const std::vector<GrupoSesiones>& grupos);
// An axis that holds values up to largest with a little room above, in at most eight
// steps of 1, 2 or 5 times a power of ten, none finer than finest (a power of ten).
AxisScale niceScale(double largest, double finest);

class Statistics {
  public:
    struct Hooks {
        std::function<void()> cargarGrilla;           // reload the history grid
        std::function<void()> leyendaGrillaFilaCero;  // its caption row
        std::function<void()> grillaReemplazada;      // the grid now holds group rows
        // The whole history in groups of a period; without it the grid's rows are grouped.
        std::function<std::vector<GrupoSesiones>(Periodo)> agruparHistorial;
        // The newest sessions' points in the order stored; without it the grid's rows.
        std::function<std::vector<ChartPoint>()> puntosPorSesion;
    };
    Statistics(MainForm& form, EstadoMonitor& estado, Hooks hooks);

    void GraficaPorSesion();
    void GraficaPorDia();
    void GraficaPorSemana();
    void GraficaPorMes();
    void AjusteValorEjesGrafica();
    // The chart's texts in the current language, once a language has been applied: the
    // caption table names the time axis in hours.
    void traducirGrafica();

    // The tab's own events.
    void LbPeriodo_Click(Periodo p);     // chart, then the clicked label red, others black
    void LbPeriodo_DblClick(Periodo p);  // chart only
    void OpBarras_Estadisticas_Click();
    void OpLineal_Estadisticas_Click();
    // Time, or the bytes received and sent, on the left axis.
    void OpTiempo_Estadisticas_Click();
    void OpVolumen_Estadisticas_Click();
    void CkSerie_Click(int series);  // 1 time, 2 cost, 3 total cost, 4 received, 5 sent

  private:
    void graficaAgrupada(Periodo p);
    bool disponibilidad();
    void mostrarMagnitud(Chart::Measure m);
    QString leftAxisCaption() const;

    MainForm& form_;
    EstadoMonitor& estado_;
    Hooks hooks_;
};

}  // namespace lt
