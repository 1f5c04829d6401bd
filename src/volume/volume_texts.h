#pragma once
// The texts of allowances, their warnings and forecasts, in English and Spanish. Amounts
// and dates come in through %1, %2...: their forms are the same in both languages.
#include "i18n/captions.h"

namespace lt {

// ---- Warnings at a share of an allowance -------------------------------------------

// By measure (time, data, money); %1 is the share in percent.
inline constexpr Bilingual kWarningTitle[] = {
    {"LinkTally: %1 % of your connection time allowance used",
     "LinkTally: se usó el %1 % de su cuota de tiempo de conexión"},
    {"LinkTally: %1 % of your data allowance used",
     "LinkTally: se usó el %1 % de su cuota de datos"},
    {"LinkTally: %1 % of your spending budget used",
     "LinkTally: se usó el %1 % de su presupuesto de gastos"}};
// %1 used, %2 the allowance, %3 the period (kThisPeriod), %4 what is left, %5 the day the
// next period starts.
inline constexpr Bilingual kWarningBody{"%1 of %2 %3; %4 left until %5.",
                                        "%1 de %2 %3; quedan %4 hasta el %5."};
// The same once nothing is left: %1 used, %2 the allowance, %3 the period, %4 the day.
inline constexpr Bilingual kWarningBodyUsedUp{"%1 of %2 %3; nothing left until %4.",
                                              "%1 de %2 %3; no queda nada hasta el %4."};
// By period kind: day, week, month.
inline constexpr Bilingual kThisPeriod[] = {
    {"today", "hoy"}, {"this week", "esta semana"}, {"this month", "este mes"}};

inline constexpr Bilingual kCutSoonTitle{"LinkTally: the connection will be cut soon",
                                         "LinkTally: la conexión se cortará pronto"};
inline constexpr Bilingual kCutSoonMinutes{"The connection will be cut in %1 minutes.",
                                           "La conexión se cortará en %1 minutos."};
inline constexpr Bilingual kCutSoonOneMinute{"The connection will be cut in 1 minute.",
                                             "La conexión se cortará en 1 minuto."};

// ---- Forecast ------------------------------------------------------------------------

// %1 the amount.
inline constexpr Bilingual kForecastPerDay{"%1 a day from now on",
                                           "%1 por día de aquí en adelante"};
// %1 the amount, %2 the day the next period starts.
inline constexpr Bilingual kForecastPace{"At this pace: %1 by %2", "A este ritmo: %1 para el %2"};
// By measure; %1 the day the next period starts.
inline constexpr Bilingual kForecastUsedUp[] = {
    {"Time allowance used up until %1", "Cuota de tiempo agotada hasta el %1"},
    {"Data allowance used up until %1", "Cuota de datos agotada hasta el %1"},
    {"Spending budget used up until %1", "Presupuesto de gastos agotado hasta el %1"}};

// ---- Rejected settings -----------------------------------------------------------------

inline constexpr Bilingual kMsgThresholds{
    "Nonvalid value: enter percentages from 1 to 100 separated by commas, such as 80,95",
    "Valor no válido: ingrese porcentajes de 1 a 100 separados por comas, por ejemplo 80,95"};
inline constexpr Bilingual kMsgAllowanceNotANumber{
    "Nonvalid value: enter an amount such as 2.5, with a point before the decimals",
    "Valor no válido: ingrese una cantidad como 2.5, con un punto antes de los decimales"};
inline constexpr Bilingual kMsgAllowanceNotPositive{
    "Nonvalid value: the allowance must be above 0",
    "Valor no válido: la cuota debe ser mayor que 0"};
inline constexpr Bilingual kMsgAllowanceDecimals{
    "Nonvalid value: enter at most 3 decimals", "Valor no válido: ingrese 3 decimales como máximo"};
inline constexpr Bilingual kMsgAllowanceTooLarge{
    "Nonvalid value: the allowance may be 1000000 GB at most",
    "Valor no válido: la cuota puede ser de 1000000 GB como máximo"};

}  // namespace lt
