#pragma once
// The settings record: one field per key of the settings file.
#include <QString>
#include <array>

#include "core/ole_date.h"

namespace lt {

// Texts of one tariff band as stored.
struct TramoTextos {
    QString DesdeHH, DesdeMM, DesdeSS, HastaHH, HastaMM, HastaSS, CostoDesdeHasta, CostoResto;
};

struct ParametrosMonitor {
    // Index 0 the weekly band ("tiempos y costos semanales"), 1..7 Sunday..Saturday.
    std::array<TramoTextos, 8> Tramos;
    int CkReduccion = 0;
    QString ReduccionCada;
    QString PorcentajeCostoReducido;
    QString TimerConexion;
    QString TimerCosto;
    int AbandonaAplicacion = 0;
    int CodigoIdioma = 0;
    QString AjusteCosto;
    QString CostoIVA;
    float CostoAcumuladoPorSesion = 0;
    QString Clave;
    QString Momento;
    QString CosAcumConex;
    OleDate FeInt = 0;
    QString DiasAcum;
    QString HorasAcum;
    int FormatoInicio = 0;
    int DespuesDe = 0;
    QString ImpDesde;
    QString ImpDurante;
    QString ImpDespues;
    QString QueDia;
    int WindowsInicio = 0;
    int ServerTime = 0;
    float Izquierda = 0;
    float Top = 0;
};

// Section names of the file, in the order the whole record is written.
inline constexpr std::array<const char*, 8> kTariffSections = {
    "tiempos y costos semanales",         "tiempos y costos diarios-domingo",
    "tiempos y costos diarios-lunes",     "tiempos y costos diarios-martes",
    "tiempos y costos diarios-miercoles", "tiempos y costos diarios-jueves",
    "tiempos y costos diarios-viernes",   "tiempos y costos diarios-sabado"};

// Key-name words of the bands: DesdeSemanaHH for the weekly band, DesdeLunesHH for Monday.
inline constexpr std::array<const char*, 8> kTariffKeyWords = {
    "Semana", "Domingo", "Lunes", "Martes", "Miercoles", "Jueves", "Viernes", "Sabado"};

}  // namespace lt
