#pragma once
// Run-time state that the main form's timers and handlers share.
#include <QString>
#include <cstdint>

#include "core/ole_date.h"

namespace lt {

struct EstadoMonitor {
    bool Conectado = false;
    OleDate InicioSesion = 0;
    OleDate InicioAcumulado = 0;
    // The same instants on the monotonic clock: elapsed time, the period's accumulated
    // time and the cost advance with it, so a change of the PC clock moves none of them.
    std::int64_t InicioSesionMono = 0;
    std::int64_t InicioAcumuladoMono = 0;
    std::int64_t InicioTramoMono = 0;
    float CostoParcial = 0;
    float TimerInicioTramo = 0;
    // The wall-clock instant of TimerInicioTramo (0 when no session is priced): pricing
    // splits the time since then at band edges and midnights.
    OleDate InicioTramo = 0;
    OleDate FechaArranque = 0;
    float CostoAcumuladoPorSesion = 0;
    float CostoReducido = 0;
    int PeriodosReduccion = 0;
    QString QueDia;
    OleDate FeInt = 0;
    OleDate TiempoAcumuladoBase = 0;
    int HorasAcumuladas = 0;
    int HoraAnterior = 0;
    QString Momento;
    bool ErrorFormato = false;
    int CantidadSesiones = 0;
    QString Clave;
    QString AjusteCosto;
    QString ServerTime;
    int PasoServidorTiempo = 0;
    bool PrimerTickHecho = false;
    // The running session's id, given when it opens; stored with it, so that no session
    // is ever stored twice.
    std::uint64_t IdSesion = 0;
    // The running session's bytes on the default-route links, and their rates now in
    // bytes a second.
    // False while no counter could be read: the session is stored without byte counts.
    bool BytesContados = false;
    std::uint64_t BytesRecibidos = 0;
    std::uint64_t BytesEnviados = 0;
    double TasaRecibida = 0;
    double TasaEnviada = 0;
    // The data allowance as last accepted: 0 none, 1 a day, 2 a week, 3 a month; the
    // amount in its unit ("MB" or "GB"); the day a billing month starts on; whether it
    // only warns; the warning thresholds; the money budget per billing month (empty for
    // none); and which warnings were given in which period.
    int VolPeriodo = 0;
    QString VolCantidad;
    QString VolUnidad = QStringLiteral("GB");
    int DiaFacturacion = 1;
    bool VolSoloAviso = false;
    QString Avisos = QStringLiteral("80,95");
    QString Presupuesto;
    QString AvisosDados;
    // The currency symbol shown beside amounts on screen; empty for none.
    QString Moneda;
    // The user-interface language: 0 English, 1 Spanish; other values leave texts alone.
    int CodigoIdioma = 0;
};

}  // namespace lt
