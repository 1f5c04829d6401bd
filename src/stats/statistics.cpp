#include "stats/statistics.h"

#include <QStringView>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <unordered_map>
#include <utility>

#include "core/conversions.h"
#include "core/grid.h"
#include "core/ole_date.h"
#include "core/text_format.h"
#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "i18n/captions.h"

namespace lt {

namespace {

constexpr int kStatisticsTab = 3;
constexpr int kRed = 255;
constexpr int kBlack = 0;
constexpr int kReceivedColumn = 6;
constexpr int kSentColumn = 7;

// %1 the unit the axis counts in.
constexpr Bilingual kVolumeAxis{"Volume [%1]", "Volumen [%1]"};

long long durationOf(const QString& text) {
    return parseDurationSeconds(text).value_or(0);
}

// The stored form "000.00" read digit by digit; anything else goes through the general
// reader. Up to 15 digits a double holds the digits exactly, so one division rounds
// as the general reader does.
double moneyOf(const QString& text) {
    const QStringView s(text);
    long long digits = 0;
    int count = 0, decimals = -1;
    for (const QChar ch : s) {
        const char16_t c = ch.unicode();
        if (c >= u'0' && c <= u'9') {
            digits = digits * 10 + (c - u'0');
            ++count;
            if (decimals >= 0) ++decimals;
        } else if (c == u'.' && decimals < 0) {
            decimals = 0;
        } else {
            count = 0;
            break;
        }
    }
    if (count == 0 || count > 15) return strictReal(text).value_or(0.0);
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    return static_cast<double>(digits) / kPowers[std::max(decimals, 0)];
}

// A grid without the byte columns (one filled before they existed) counts none.
std::optional<std::int64_t> receivedOf(const Grid& grid, int row) {
    return grid.columns() > kReceivedColumn ? bytesOf(grid.cell(row, kReceivedColumn))
                                            : std::nullopt;
}

std::optional<std::int64_t> sentOf(const Grid& grid, int row) {
    return grid.columns() > kSentColumn ? bytesOf(grid.cell(row, kSentColumn)) : std::nullopt;
}

// A group's count stays none until one of its sessions has one; years of heavy use stop
// at the largest count rather than wrap.
QString bytesText(const std::optional<std::int64_t>& bytes) {
    return bytes ? QString::number(*bytes) : QString();
}

double largestBytes(const std::vector<ChartPoint>& points) {
    std::int64_t largest = 0;
    for (const ChartPoint& p : points)
        largest = std::max({largest, p.received.value_or(0), p.sent.value_or(0)});
    return static_cast<double>(largest);
}

// "28/12 14:30": day/month and hours:minutes of a session.
QString sessionLabel(const QString& date, const QString& start) {
    const QStringView d = QStringView(date).left(5);
    const QStringView s = QStringView(start).left(5);
    QString label;
    label.reserve(d.size() + 1 + s.size());
    label.append(d).append(QLatin1Char(' ')).append(s);
    return label;
}

// Whole days from 1899-12-30; the date texts carry no time of day.
long long dayNumber(OleDate date) {
    return static_cast<long long>(std::floor(date));
}

// The group a day falls in, as a number that grows with time: the day itself, the
// Monday of its week, or the month counted from year 0.
long long groupKey(Periodo periodo, long long day) {
    switch (periodo) {
        case Periodo::Semana: {
            const int weekday = oleWeekday(static_cast<double>(day));  // 1 Sunday .. 7 Saturday
            return day - (weekday + 5) % 7;
        }
        case Periodo::Mes: {
            const QDate d = oleToDate(static_cast<double>(day));
            return static_cast<long long>(d.year()) * 12 + (d.month() - 1);
        }
        default:
            return day;
    }
}

long long startSecond(const QString& text) {
    const std::optional<OleDate> t = parseTimeOfDay(text);
    return t ? oleToSeconds(*t) : -1;
}

void putDigits(QChar*& out, int value, int width) {
    for (int i = width - 1; i >= 0; --i, value /= 10) out[i] = QChar(u'0' + value % 10);
    out += width;
}

// "dd/MM/yyyy" (a day, a week's Monday) or "MM/yyyy"; a day chart has a label per day, so
// the digits are written straight in.
QString groupLabel(Periodo periodo, long long key) {
    int year = 0, month = 0, day = 0;
    if (periodo == Periodo::Mes) {
        year = static_cast<int>(key / 12);
        month = static_cast<int>(key % 12) + 1;
    } else {
        const QDate d = oleToDate(static_cast<double>(key));
        if (!d.isValid() || d.year() < 1 || d.year() > 9999)
            return formatDate(static_cast<double>(key));
        year = d.year();
        month = d.month();
        day = d.day();
    }
    QString label(periodo == Periodo::Mes ? 7 : 10, Qt::Uninitialized);
    QChar* out = label.data();
    if (periodo != Periodo::Mes) {
        putDigits(out, day, 2);
        *out++ = QLatin1Char('/');
    }
    putDigits(out, month, 2);
    *out++ = QLatin1Char('/');
    putDigits(out, year, 4);
    return label;
}

}  // namespace

std::optional<std::int64_t> bytesOf(const QString& text) {
    // 18 digits stay below the largest count whatever they are.
    constexpr qsizetype kMostDigits = 18;
    if (text.isEmpty() || text.size() > kMostDigits) return std::nullopt;
    std::int64_t value = 0;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    return value;
}

std::vector<GrupoSesiones> agrupar(const Grid& grid, Periodo periodo) {
    if (periodo != Periodo::Sesion)
        return agruparDias(
            sesionesPorDia(
                grid.rowCount(),
                [&grid](int r, int c) { return c < grid.columns() ? grid.cell(r, c) : QString(); }),
            periodo);
    std::vector<GrupoSesiones> groups;
    for (int r = 0; r < grid.rowCount(); ++r) {
        const QString dateText = grid.cell(r, 0);
        if (!strictDate(dateText)) continue;
        groups.push_back({sessionLabel(dateText, grid.cell(r, 1)), durationOf(grid.cell(r, 3)),
                          moneyOf(grid.cell(r, 4)), moneyOf(grid.cell(r, 5)), receivedOf(grid, r),
                          sentOf(grid, r)});
    }
    return groups;
}

std::vector<SesionesDelDia> sesionesPorDia(int rows, const std::function<QString(int, int)>& cell) {
    std::vector<SesionesDelDia> days;
    std::unordered_map<long long, size_t> byDay;
    bool ordered = true;
    // Sessions come mostly in date order, several a day: the previous row's date text
    // answers most rows without reading the date again or looking the day up.
    QString lastDateText;
    size_t current = 0;
    for (int r = 0; r < rows; ++r) {
        const QString dateText = cell(r, 0);
        if (lastDateText.isEmpty() || dateText != lastDateText) {
            const std::optional<OleDate> date = strictDate(dateText);
            lastDateText = date ? dateText : QString();
            if (!date) continue;
            const long long day = dayNumber(*date);
            auto [it, added] = byDay.try_emplace(day, days.size());
            if (added) {
                ordered = ordered && (days.empty() || day > days.back().day);
                days.push_back({day});
            }
            current = it->second;
        }
        SesionesDelDia& d = days[current];
        d.seconds += durationOf(cell(r, 3));
        d.cost += moneyOf(cell(r, 4));
        addBytes(d.received, bytesOf(cell(r, 6)));
        addBytes(d.sent, bytesOf(cell(r, 7)));
        const long long start = startSecond(cell(r, 1));
        if (start >= d.lastStart) {
            d.lastStart = start;
            d.lastTotalCost = moneyOf(cell(r, 5));
        }
    }
    if (!ordered)
        std::sort(days.begin(), days.end(),
                  [](const SesionesDelDia& a, const SesionesDelDia& b) { return a.day < b.day; });
    return days;
}

void juntarDias(std::vector<SesionesDelDia>& days, const std::vector<SesionesDelDia>& later) {
    for (const SesionesDelDia& l : later) {
        auto it =
            std::lower_bound(days.begin(), days.end(), l.day,
                             [](const SesionesDelDia& d, long long day) { return d.day < day; });
        if (it == days.end() || it->day != l.day) {
            days.insert(it, l);
            continue;
        }
        juntarDia(*it, l);
    }
}

void juntarDia(SesionesDelDia& day, const SesionesDelDia& later) {
    day.seconds += later.seconds;
    day.cost += later.cost;
    addBytes(day.received, later.received);
    addBytes(day.sent, later.sent);
    if (later.lastStart >= day.lastStart) {
        day.lastStart = later.lastStart;
        day.lastTotalCost = later.lastTotalCost;
    }
}

void AgrupadorDias::add(const SesionesDelDia& d) {
    const long long k = groupKey(periodo_, d.day);
    if (groups_.empty() || k != key_) {
        key_ = k;
        groups_.push_back({groupLabel(periodo_, k)});
    }
    GrupoSesiones& g = groups_.back();
    g.seconds += d.seconds;
    g.cost += d.cost;
    addBytes(g.received, d.received);
    addBytes(g.sent, d.sent);
    g.totalCost = d.lastTotalCost;  // days come in order: the latest day's latest
}

std::vector<GrupoSesiones> agruparDias(const std::vector<SesionesDelDia>& days, Periodo periodo) {
    AgrupadorDias groups(periodo);
    for (const SesionesDelDia& d : days) groups.add(d);
    return groups.take();
}

namespace {

// Cells past the last column read as empty, which no byte count is.
template <class Rows>
std::vector<ChartPoint> puntosDeSesiones(int rows, const Rows& cell) {
    const int first = std::max(0, rows - kSesionesEnGrafica);
    std::vector<ChartPoint> points;
    points.reserve(static_cast<size_t>(rows - first));
    for (int r = first; r < rows; ++r) {
        const QString date = cell(r, 0);
        const QString start = cell(r, 1);
        points.push_back({sessionLabel(date, start),
                          static_cast<double>(durationOf(cell(r, 3)) / 60), moneyOf(cell(r, 4)),
                          moneyOf(cell(r, 5)), date + QLatin1Char(' ') + start,
                          bytesOf(cell(r, kReceivedColumn)), bytesOf(cell(r, kSentColumn))});
    }
    return points;
}

}  // namespace

std::vector<ChartPoint> puntosPorSesion(const Grid& grid) {
    return puntosDeSesiones(grid.rowCount(), [&grid](int r, int c) {
        return c < grid.columns() ? grid.cell(r, c) : QString();
    });
}

std::vector<ChartPoint> puntosPorSesion(const GridRows& rows) {
    return puntosDeSesiones(rows.count(), [&rows](int r, int c) { return rows.cell(r, c); });
}

std::vector<ChartPoint> puntosDeGrupos(const std::vector<GrupoSesiones>& grupos) {
    std::vector<ChartPoint> points;
    points.reserve(grupos.size());
    for (const GrupoSesiones& g : grupos)
        points.push_back({g.label, static_cast<double>(g.seconds / 60), g.cost, g.totalCost,
                          g.label, g.received, g.sent});
    return points;
}

void addBytes(std::optional<std::int64_t>& sum, std::optional<std::int64_t> bytes) {
    if (!bytes) return;
    const std::int64_t before = sum.value_or(0);
    sum = *bytes > std::numeric_limits<std::int64_t>::max() - before
              ? std::numeric_limits<std::int64_t>::max()
              : before + *bytes;
}

AxisScale niceScale(double largest, double finest) {
    // Bars need some air above the tallest; an empty chart still gets a unit to show.
    const double target = std::isfinite(largest) && largest > 0 ? largest * 1.05 : 1.0;
    constexpr double kMostSteps = 8;
    int exponent = static_cast<int>(std::floor(std::log10(target / kMostSteps)));
    int mantissa = 1;
    for (const int m : {1, 2, 5, 10}) {
        mantissa = m;
        if (target / (m * std::pow(10.0, exponent)) <= kMostSteps) break;
    }
    const int finestExponent = static_cast<int>(std::lround(std::log10(finest)));
    if (exponent < finestExponent) {
        exponent = finestExponent;
        mantissa = 1;
    }
    // Powers of ten below one divide, so that 0.2 and 1.2 come out as written.
    const double power = std::pow(10.0, std::abs(exponent));
    const auto scaled = [&](double units) { return exponent < 0 ? units / power : units * power; };
    const double steps = std::ceil(target / scaled(mantissa) - 1e-9);
    return {scaled(steps * mantissa), scaled(mantissa)};
}

Statistics::Statistics(MainForm& form, EstadoMonitor& estado, Hooks hooks)
    : form_(form), estado_(estado), hooks_(std::move(hooks)) {
    const std::vector<OptionButton*> measures = {&form_.OpTiempo_Estadisticas,
                                                 &form_.OpVolumen_Estadisticas};
    for (OptionButton* o : measures) o->setGroup(measures);
    form_.CkRecibido_Estadisticas.setValue(1);
    form_.CkEnviado_Estadisticas.setValue(1);
    form_.OpTiempo_Estadisticas.setValue(true);
    form_.CkRecibido_Estadisticas.setVisible(false);
    form_.CkEnviado_Estadisticas.setVisible(false);
}

bool Statistics::disponibilidad() {
    const bool available = estado_.CantidadSesiones != 0;
    form_.STabTiempos_Estado.setTabEnabled(kStatisticsTab, available);
    return available;
}

void Statistics::GraficaPorSesion() {
    if (!disponibilidad() || estado_.CantidadSesiones < 1) return;
    if (hooks_.cargarGrilla) hooks_.cargarGrilla();
    // Read from the history when the chart is first drawn or read, not at each start.
    form_.Grafica_Estadisticas.setPointsWhenRead([this] {
        form_.Grafica_Estadisticas.setPoints(hooks_.puntosPorSesion
                                                 ? hooks_.puntosPorSesion()
                                                 : puntosPorSesion(form_.MSFlexGrid_Estado));
        AjusteValorEjesGrafica();
    });
    if (hooks_.leyendaGrillaFilaCero) hooks_.leyendaGrillaFilaCero();
}

void Statistics::GraficaPorDia() {
    graficaAgrupada(Periodo::Dia);
}

void Statistics::GraficaPorSemana() {
    graficaAgrupada(Periodo::Semana);
}

void Statistics::GraficaPorMes() {
    graficaAgrupada(Periodo::Mes);
}

void Statistics::graficaAgrupada(Periodo p) {
    if (!disponibilidad() || estado_.CantidadSesiones < 2) return;
    if (hooks_.cargarGrilla) hooks_.cargarGrilla();
    Grid& grid = form_.MSFlexGrid_Estado;
    const std::vector<GrupoSesiones> grupos =
        hooks_.agruparHistorial ? hooks_.agruparHistorial(p) : agrupar(grid, p);

    std::vector<QString> cells;
    cells.reserve(grupos.size() * static_cast<size_t>(grid.columns()));
    for (const GrupoSesiones& g : grupos) {
        cells.push_back(g.label);
        cells.emplace_back();
        cells.emplace_back();
        cells.push_back(formatDurationSeconds(g.seconds));
        cells.push_back(formatMoney(g.cost));
        cells.push_back(formatMoney(g.totalCost));
        if (grid.columns() > kSentColumn) {
            cells.push_back(bytesText(g.received));
            cells.push_back(bytesText(g.sent));
        }
        for (int c = kSentColumn + 1; c < grid.columns(); ++c) cells.emplace_back();
    }
    grid.setCells(std::move(cells));
    if (hooks_.grillaReemplazada) hooks_.grillaReemplazada();

    form_.Grafica_Estadisticas.setPoints(puntosDeGrupos(grupos));
    AjusteValorEjesGrafica();
    if (hooks_.leyendaGrillaFilaCero) hooks_.leyendaGrillaFilaCero();
}

void Statistics::AjusteValorEjesGrafica() {
    // Each series has an axis of its own: beside a growing total, a session's cost
    // would not show.
    Chart& chart = form_.Grafica_Estadisticas;
    double minutes = 0, cost = 0, totalCost = 0;
    for (const ChartPoint& p : chart.points()) {
        minutes = std::max(minutes, p.minutes);
        cost = std::max(cost, p.cost);
        totalCost = std::max(totalCost, p.totalCost);
    }
    // Volume in the unit that reads from 1 to 999, in tenths at the finest, as bytes are
    // written elsewhere.
    const double bytes = largestBytes(chart.points());
    const VolumeUnit unit = VolumeUnit::fitting(bytes);
    chart.setAxes({niceScale(minutes, 1), niceScale(cost, 0.01), niceScale(totalCost, 0.01)},
                  niceScale(bytes / unit.bytes(), unit.power == 0 ? 1 : 0.1), unit);
    form_.LbTiempos_Estadisticas.setCaption(leftAxisCaption());
}

void Statistics::traducirGrafica() {
    form_.LbTiempos_Estadisticas.setCaption(leftAxisCaption());
    form_.Grafica_Estadisticas.languageChanged();
}

QString Statistics::leftAxisCaption() const {
    const Chart& chart = form_.Grafica_Estadisticas;
    if (chart.measure() == Chart::Measure::Time)
        return textIn(estado_.CodigoIdioma, kChartTimeAxis);
    return textIn(estado_.CodigoIdioma, kVolumeAxis).arg(chart.volumeUnit().symbol());
}

void Statistics::mostrarMagnitud(Chart::Measure m) {
    const bool volume = m == Chart::Measure::Volume;
    form_.Grafica_Estadisticas.setMeasure(m);
    // The series boxes follow what is drawn: time's, or received and sent.
    form_.CkTiempo_Estadisticas.setVisible(!volume);
    form_.CkRecibido_Estadisticas.setVisible(volume);
    form_.CkEnviado_Estadisticas.setVisible(volume);
    form_.LbTiempos_Estadisticas.setCaption(leftAxisCaption());
}

void Statistics::LbPeriodo_Click(Periodo p) {
    LbPeriodo_DblClick(p);
    const std::array<std::pair<Periodo, Label*>, 4> labels{{
        {Periodo::Sesion, &form_.LbSesion_Estadisticas},
        {Periodo::Dia, &form_.LbDia_Estadisticas},
        {Periodo::Semana, &form_.LbSemana_Estadisticas},
        {Periodo::Mes, &form_.LbMes_Estadisticas},
    }};
    for (const auto& [periodo, label] : labels) label->setForeColor(periodo == p ? kRed : kBlack);
}

void Statistics::LbPeriodo_DblClick(Periodo p) {
    switch (p) {
        case Periodo::Sesion:
            GraficaPorSesion();
            break;
        case Periodo::Dia:
            GraficaPorDia();
            break;
        case Periodo::Semana:
            GraficaPorSemana();
            break;
        case Periodo::Mes:
            GraficaPorMes();
            break;
    }
}

void Statistics::OpBarras_Estadisticas_Click() {
    form_.Grafica_Estadisticas.setType(Chart::Type::Bars);
}

void Statistics::OpLineal_Estadisticas_Click() {
    form_.Grafica_Estadisticas.setType(Chart::Type::Lines);
}

void Statistics::OpTiempo_Estadisticas_Click() {
    mostrarMagnitud(Chart::Measure::Time);
}

void Statistics::OpVolumen_Estadisticas_Click() {
    mostrarMagnitud(Chart::Measure::Volume);
}

void Statistics::CkSerie_Click(int series) {
    const CheckBox* boxes[] = {&form_.CkTiempo_Estadisticas, &form_.CkCosto_Estadisticas,
                               &form_.CkCostoTotal_Estadisticas, &form_.CkRecibido_Estadisticas,
                               &form_.CkEnviado_Estadisticas};
    if (series < 1 || series > Chart::kSeries) return;
    const int value = boxes[series - 1]->value();
    if (value == 0 || value == 1) form_.Grafica_Estadisticas.setSeriesVisible(series, value == 1);
}

}  // namespace lt
