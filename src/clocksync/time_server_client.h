#pragma once
// Asks the chosen RFC 868 time server for the time while the PC is on line and sets the
// PC clock from the answer, showing the outcome on the status tab.
#include <QByteArray>
#include <QDateTime>
#include <functional>
#include <optional>

#include "platform/time_service.h"

namespace lt {

struct MainForm;
struct EstadoMonitor;
class Clock;

class TimeServerClient {
public:
    static constexpr quint16 kPort = 37;
    static constexpr int kTimeoutMs = 10000;

    // onClockSet: told the step (new minus old wall clock, in seconds) each time this
    // client sets the clock, so that the clock-change guard does not take it for the
    // user's. The timeout runs on the form's TiEsperaServidor timer.
    TimeServerClient(MainForm& form, EstadoMonitor& estado, const Clock& clock, TimeSocket& socket,
                     SystemClockSetter& setter, std::function<void(double)> onClockSet);

    void TiServerInternet_Timer();
    void Winsock_Connect();
    void Winsock_DataArrival(const QByteArray& bytes);
    void Winsock_Close();
    void Winsock_Error();
    // The server does not answer within kTimeoutMs.
    void TiEsperaServidor_Timer();

    // The UTC instant a four-byte reply names, the connection time added and rounded
    // half to even; nullopt unless exactly four bytes. Values before 1990 are taken in
    // the era after 2036-02-07.
    static std::optional<QDateTime> evaluar(const QByteArray& reply, double connectedSeconds);

private:
    void iniciarConsulta();
    void estado(const char* english, const char* spanish);

    MainForm& form_;
    EstadoMonitor& estado_;
    const Clock& clock_;
    TimeSocket& socket_;
    SystemClockSetter& setter_;
    std::function<void(double)> onClockSet_;
    QByteArray BufferServidorTiempo;
    std::int64_t conectadoMs_ = 0;  // monotonic instant of the connection
    bool esperando_ = false;
};

}  // namespace lt
