#include "clocksync/time_server_client.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/clock.h"
#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "i18n/captions.h"

namespace lt {

namespace {

constexpr int kFirstRunIntervalMs = 10000;  // a larger interval means the run has begun
constexpr int kRunIntervalMs = 60000;
constexpr int kQueryEveryTicks = 5;

// Seconds from 1900-01-01 (the protocol's epoch) to 1990-01-01.
constexpr std::int64_t kSeconds1900To1990 = 2840140800LL;
constexpr std::int64_t kEra = 1LL << 32;

// Nothing useful ever comes after the fifth byte; keep no more of a talkative server.
constexpr qsizetype kBufferCap = 5;

}  // namespace

TimeServerClient::TimeServerClient(MainForm& form, EstadoMonitor& estado, const Clock& clock,
                                   TimeSocket& socket, SystemClockSetter& setter,
                                   std::function<void(double)> onClockSet)
    : form_(form),
      estado_(estado),
      clock_(clock),
      socket_(socket),
      setter_(setter),
      onClockSet_(std::move(onClockSet)) {
    socket_.setEvents({[this] { Winsock_Connect(); },
                       [this](const QByteArray& bytes) { Winsock_DataArrival(bytes); },
                       [this] { Winsock_Close(); }, [this](const QString&) { Winsock_Error(); }});
}

void TimeServerClient::TiServerInternet_Timer() {
    // No nested event processing here: the tick already runs from the event loop, and
    // re-entering it could deliver the socket's events in the middle of a tick.
    if (!estado_.Conectado) return;
    TimerModel& timer = form_.TiServerInternet;
    if (timer.interval() <= kFirstRunIntervalMs) {
        timer.setInterval(kRunIntervalMs);
        estado_.PasoServidorTiempo = 1;
        iniciarConsulta();
    }
    if (estado_.PasoServidorTiempo > kQueryEveryTicks) {
        iniciarConsulta();
        estado_.PasoServidorTiempo = 0;
    } else {
        ++estado_.PasoServidorTiempo;
    }
}

void TimeServerClient::iniciarConsulta() {
    BufferServidorTiempo.clear();
    if (socket_.isOpen()) socket_.close();
    esperando_ = false;
    form_.TiEsperaServidor.setEnabled(false);

    // The guard and the session end call the tick directly, so the list is checked here
    // and not only where the timer is enabled.
    const QString host = form_.CbServidoresDeTiempo.currentText().trimmed();
    if (form_.CbServidoresDeTiempo.listIndex() <= 0 || host.isEmpty()) return;

    esperando_ = true;
    conectadoMs_ = -1;
    form_.TiEsperaServidor.setInterval(kTimeoutMs);
    form_.TiEsperaServidor.setEnabled(true);
    socket_.connectTo(host, kPort);
}

void TimeServerClient::Winsock_Connect() {
    if (esperando_) conectadoMs_ = clock_.monotonicMs();
}

void TimeServerClient::Winsock_DataArrival(const QByteArray& bytes) {
    if (!esperando_) return;
    const qsizetype room = kBufferCap - BufferServidorTiempo.size();
    if (room > 0) BufferServidorTiempo.append(bytes.left(room));
}

void TimeServerClient::Winsock_Close() {
    if (!esperando_) return;
    esperando_ = false;
    form_.TiEsperaServidor.setEnabled(false);
    socket_.close();

    // The monotonic clock: a connection across midnight or a clock change while it is
    // open cannot make the elapsed time negative or wrong.
    const double connected =
        conectadoMs_ < 0
            ? 0.0
            : static_cast<double>(std::max<std::int64_t>(0, clock_.monotonicMs() - conectadoMs_)) /
                  1000.0;
    const std::optional<QDateTime> utc = evaluar(BufferServidorTiempo, connected);
    if (!utc) {
        estado(kTimeServerUnavailable.english, kTimeServerUnavailable.spanish);
        return;
    }

    const OleDate before = clock_.now();
    QString error;
    if (!setter_.setUtc(*utc, &error)) {
        estado(kClockNotSynchronised.english, kClockNotSynchronised.spanish);
        return;
    }
    estado(kClockSynchronised.english, kClockSynchronised.spanish);
    // Both sides as local wall-clock values, the way the clock guard reads the clock.
    const double step = (oleFromDateTime(utc->toLocalTime()) - before) * kSecondsPerDay;
    if (onClockSet_) onClockSet_(step);
}

void TimeServerClient::Winsock_Error() {
    if (!esperando_) return;
    esperando_ = false;
    form_.TiEsperaServidor.setEnabled(false);
    socket_.close();
    estado(kClockServerProblem.english, kClockServerProblem.spanish);
}

void TimeServerClient::TiEsperaServidor_Timer() {
    form_.TiEsperaServidor.setEnabled(false);
    if (!esperando_) return;
    esperando_ = false;
    socket_.close();
    estado(kClockServerProblem.english, kClockServerProblem.spanish);
}

std::optional<QDateTime> TimeServerClient::evaluar(const QByteArray& reply,
                                                   double connectedSeconds) {
    if (reply.size() != 4) return std::nullopt;
    std::int64_t v = 0;
    for (const char c : reply) v = v * 256 + static_cast<unsigned char>(c);
    // The 32-bit count wraps on 2036-02-07; no server answers with a time before 1990.
    if (v < kSeconds1900To1990) v += kEra;
    if (!std::isfinite(connectedSeconds) || connectedSeconds < 0) connectedSeconds = 0;
    // nearbyint in the default rounding mode: halves go to the even number.
    const auto s = static_cast<qint64>(
        std::nearbyint(connectedSeconds + static_cast<double>(v - kSeconds1900To1990)));
    return QDateTime(QDate(1990, 1, 1), QTime(0, 0), Qt::UTC).addSecs(s);
}

void TimeServerClient::estado(const char* english, const char* spanish) {
    switch (estado_.CodigoIdioma) {
        case kLanguageEnglish:
            form_.LbEstadoRelojServer_Estado.setCaption(QString::fromUtf8(english));
            break;
        case kLanguageSpanish:
            form_.LbEstadoRelojServer_Estado.setCaption(QString::fromUtf8(spanish));
            break;
        default:
            break;  // an unknown language leaves the label as it is
    }
}

}  // namespace lt
