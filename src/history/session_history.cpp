#include "history/session_history.h"

#include <QFile>
#include <QRandomGenerator>

#include "core/clock.h"
#include "core/conversions.h"
#include "core/text_format.h"
#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "form/messages.h"
#include "history/grid_sort.h"
#include "history/legacy_files.h"
#include "i18n/captions.h"
#include "settings/settings_store.h"

namespace lt {

std::uint64_t nuevoIdSesion() {
    // Positive as a signed 64-bit number, the way the database stores it; never 0.
    return (QRandomGenerator::system()->generate64() >> 1) | 1u;
}

void SessionHistory::abrir() {
    if (!ledger_.open()) avisarFallaLedger();
    migrarArchivosAnteriores();
    if (!store_.open()) {
        if (store_.isOpen())
            avisarFallaHistorial();  // a later version's history: read, never written
        else
            messages_.warn(kMsgHistoryNotRead, store_.error());
    }
    avisarCambiosDelArchivo();
    // A copy: recovering clears the running session in the ledger.
    if (const std::optional<LedgerEntry> running = ledger_.running())
        recuperarSesion(*running);
    else if (!ledger_.finished().empty())
        // A stop after a session's end reached the ledger, maybe before the settings file
        // took what it counted.
        restaurarCuentas(ledger_.finished().back());
    const bool waited = !ledger_.finished().empty();
    if (waited && guardarPendientes())
        messages_.show(MessageBox::Icon::Information, kMsgHistoryPendingSaved);
}

void SessionHistory::migrarArchivosAnteriores() {
    const QString pending = store_.path() + QStringLiteral(".pending");
    const QString running = store_.path() + QStringLiteral(".running");
    const std::vector<SessionRecord> waiting = readLegacyPending(pending);
    const std::optional<SessionRecord> crashed = readLegacyCheckpoint(running);
    std::vector<LedgerEntry> entries;
    for (const SessionRecord& r : waiting) entries.push_back({nuevoIdSesion(), r, {}, {}});
    bool ok = entries.empty() || ledger_.add(entries);
    if (crashed) ok = ledger_.setRunning({nuevoIdSesion(), *crashed, {}, {}}) && ok;
    // Gone only once the ledger holds them; else they are read again at the next start.
    if (ok) {
        QFile::remove(pending);
        QFile::remove(running);
    } else {
        avisarFallaLedger();
    }
}

void SessionHistory::recuperarSesion(const LedgerEntry& entry) {
    // The session a crash left ends at its last note, with all it had counted.
    if (!ledger_.finish(entry)) avisarFallaLedger();
    restaurarCuentas(entry);
    messages_.show(MessageBox::Icon::Information, kMsgSessionRecovered);
}

void SessionHistory::restaurarCuentas(const LedgerEntry& entry) {
    // The period's time, the accumulated cost and what a session's end saves, as the
    // newest session in the ledger left them.
    estado_.Momento = entry.record.fecha;
    if (const auto acumulado = strictReal(entry.record.CostoAcumulado))
        estado_.CostoAcumuladoPorSesion = static_cast<float>(*acumulado);
    form_.TxCOCostoAcumuladoDesde.setText(formatMoney(estado_.CostoAcumuladoPorSesion));
    if (parseDurationSeconds(entry.horasAcum))
        form_.TxTiempoAcumulado_Estado.setText(entry.horasAcum);
    if (strictInteger(entry.diasAcum))
        form_.TxDiasAcumuladosInterrupcionProgramada_Estado.setText(entry.diasAcum);
    settings_.GuardarINI();
}

bool SessionHistory::guardarPendientes() {
    const std::vector<LedgerEntry> waiting = ledger_.finished();
    if (waiting.empty()) return true;
    std::vector<StoredSession> sessions;
    std::vector<std::uint64_t> ids;
    for (const LedgerEntry& e : waiting) {
        sessions.push_back({e.id, e.record});
        ids.push_back(e.id);
    }
    const bool stored = store_.store(sessions);
    avisarCambiosDelArchivo();
    if (!stored) {
        avisarFallaHistorial();
        return false;
    }
    // Should this fail, the next start stores them again under the same ids: once.
    if (!ledger_.committed(ids)) avisarFallaLedger();
    return true;
}

void SessionHistory::CargarDeBaseDeDatosVisuakizarGrilla() {
    if (gridHoldsHistory_) return;
    Grid& grid = form_.MSFlexGrid_Estado;
    rows_.refresh();
    grid.showRows(&rows_);
    const HistoryOrder order = rows_.order();
    grid.setSort(order.column, order.column < 0 || order.descending);
    estado_.CantidadSesiones = grid.rowCount();
    gridHoldsHistory_ = true;
}

void SessionHistory::cargarEnOrdenGuardado() {
    if (rows_.order() != HistoryOrder{}) {
        rows_.setOrder({});
        gridHoldsHistory_ = false;
    }
    CargarDeBaseDeDatosVisuakizarGrilla();
}

std::vector<ChartPoint> SessionHistory::puntosPorSesion() {
    HistoryRows stored(store_, ledger_);
    stored.refresh();
    return lt::puntosPorSesion(stored);
}

namespace {

SesionesDelDia ourDay(const StoredDay& d) {
    return {d.day + kUnixEpochDay, d.seconds,  d.cost, d.lastTotalCost,
            d.lastStart,           d.received, d.sent};
}

}  // namespace

std::vector<GrupoSesiones> SessionHistory::agruparHistorial(Periodo periodo) {
    const std::vector<SesionesDelDia> waiting = sesionesEnEspera();
    auto next = waiting.begin();
    AgrupadorDias groups(periodo);
    store_.forEachDay([&](const StoredDay& stored) {
        SesionesDelDia day = ourDay(stored);
        for (; next != waiting.end() && next->day < day.day; ++next) groups.add(*next);
        if (next != waiting.end() && next->day == day.day) juntarDia(day, *next++);
        groups.add(day);
    });
    for (; next != waiting.end(); ++next) groups.add(*next);
    return groups.take();
}

std::vector<SesionesDelDia> SessionHistory::sesionesEnEspera() const {
    const auto& waiting = ledger_.finished();
    return lt::sesionesPorDia(static_cast<int>(waiting.size()), [&waiting](int r, int c) {
        return waiting[static_cast<size_t>(r)].record.toRow().at(c);
    });
}

std::vector<SesionesDelDia> SessionHistory::sesionesPorDia(long long desde, long long hasta) {
    std::vector<StoredDay> stored;
    store_.sessionsByDay(stored, desde - kUnixEpochDay, hasta - kUnixEpochDay);
    std::vector<SesionesDelDia> days;
    days.reserve(stored.size());
    for (const StoredDay& d : stored) days.push_back(ourDay(d));
    juntarDias(days, sesionesEnEspera());
    std::erase_if(
        days, [desde, hasta](const SesionesDelDia& d) { return d.day < desde || d.day > hasta; });
    return days;
}

LedgerEntry SessionHistory::sesionEnCurso() const {
    const MainForm& f = form_;
    return {estado_.IdSesion != 0 ? estado_.IdSesion : nuevoIdSesion(),
            {f.TxISFecha_Estado.text(), f.TxISHora_Estado.text(), f.TxTAHora_Estado.text(),
             f.TxTITiempoConexion_Estado.text(), f.TxCOCostoConexionActual_Estado.text(),
             f.TxCOCostoAcumuladoDesde.text(),
             estado_.BytesContados ? QString::number(estado_.BytesRecibidos) : QString(),
             estado_.BytesContados ? QString::number(estado_.BytesEnviados) : QString()},
            f.TxTiempoAcumulado_Estado.text(),
            f.TxDiasAcumuladosInterrupcionProgramada_Estado.text()};
}

void SessionHistory::sesionNueva() {
    estado_.IdSesion = nuevoIdSesion();
}

void SessionHistory::GuardarEnBaseDeDatosYactualizarGrilla() {
    const LedgerEntry entry = sesionEnCurso();
    ultima_ = entry.record;
    CargarDeBaseDeDatosVisuakizarGrilla();
    // On the disk before anything else may fail.
    if (ledger_.finish(entry))
        ledgerFailureReported_ = false;
    else
        avisarFallaLedger();
    // What the session counted reaches the settings file before the session may leave
    // the ledger: a stop in between finds it there (see abrir()).
    settings_.GuardarINI();
    estado_.IdSesion = 0;
    if (guardarPendientes()) {
        if (writeFailureReported_)
            messages_.show(MessageBox::Icon::Information, kMsgHistoryPendingSaved);
        writeFailureReported_ = false;
    }
    // Stored or waiting, the session belongs in the grid: at the end of the stored order,
    // where its values put it in another.
    rows_.refresh();
    form_.MSFlexGrid_Estado.sourceChanged(rows_.order() == HistoryOrder{});
    estado_.CantidadSesiones = form_.MSFlexGrid_Estado.rowCount();
}

void SessionHistory::checkpoint(const QString& costo, const QString& costoAcumulado) {
    if (!form_.LbTIEStadoE_Estado.caption().startsWith(QLatin1Char('C'))) return;
    LedgerEntry entry = sesionEnCurso();
    entry.record.costo = costo;
    entry.record.CostoAcumulado = costoAcumulado;
    if (ledger_.setRunning(entry))
        ledgerFailureReported_ = false;
    else
        avisarFallaLedger();
}

void SessionHistory::avisarFallaHistorial() {
    if (writeFailureReported_) return;
    writeFailureReported_ = true;
    messages_.warn(kMsgHistoryNotWritten, store_.error());
}

void SessionHistory::avisarFallaLedger() {
    if (ledgerFailureReported_) return;
    ledgerFailureReported_ = true;
    messages_.warn(kMsgLedgerNotWritten, ledger_.error());
}

void SessionHistory::avisarCambiosDelArchivo() {
    const QString aside = store_.takeSetAside();
    if (!aside.isEmpty()) messages_.warn(kMsgHistoryDamaged, aside);
    if (store_.takeRecreated()) messages_.warn(kMsgHistoryRecreated, store_.path());
}

void SessionHistory::CdLimpiarBase_Configuracion_Click() {
    messages_.ask(kAskClearHistory, [this](bool yes) {
        if (yes) limpiarHistorial();
    });
}

void SessionHistory::limpiarHistorial() {
    // A session that began while the question waited is not cleared away under it.
    if (form_.LbTIEStadoE_Estado.caption().startsWith(QLatin1Char('C'))) return;
    // What waited goes in first, so that the copy holds the whole history.
    guardarPendientes();
    const QString copy = store_.path() + QStringLiteral(".cleared-") +
                         oleToDateTime(clock_.now()).toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (!store_.copyTo(copy)) {
        messages_.warn(kMsgHistoryNotCleared, store_.error());
        return;
    }
    estado_.CostoAcumuladoPorSesion = 0;
    form_.TxCOCostoAcumuladoDesde.setText(QStringLiteral("000.00"));
    settings_.GuardarValorINI(QStringLiteral("Costos"), QStringLiteral("CostoAcumuladoPorSesion"),
                              form_.TxCOCostoAcumuladoDesde.text());
    form_.LbCOCostoAcumulado_Estado.setCaption(textIn(estado_.CodigoIdioma, kCostAddFrom) +
                                               formatDate(clock_.date()) + QLatin1Char(':'));
    settings_.GuardarValorINI(QStringLiteral("Interrupciones"), QStringLiteral("CosAcumConex"),
                              form_.LbCOCostoAcumulado_Estado.caption());
    if (!store_.clear()) {
        messages_.warn(kMsgHistoryNotCleared, store_.error());
        return;
    }
    // The sessions that waited for the table leave with it.
    std::vector<std::uint64_t> ids;
    for (const LedgerEntry& e : ledger_.finished()) ids.push_back(e.id);
    if (!ledger_.committed(ids)) avisarFallaLedger();
    gridHoldsHistory_ = false;
    CargarDeBaseDeDatosVisuakizarGrilla();
    form_.STabTiempos_Estado.setTabEnabled(3, false);
    if (borrado) borrado();
    messages_.show(MessageBox::Icon::Information, kMsgHistoryCleared, copy);
}

void SessionHistory::MSFlexGrid_Estado_CaptionClick(int column) {
    // A second click on the same caption turns the order round.
    Grid& grid = form_.MSFlexGrid_Estado;
    const bool again = grid.sortColumn() == column && grid.sortDescending();
    if (grid.source() != &rows_) {
        // The statistics' groups, which live in the grid itself.
        sortHistoryGrid(grid, column, !again);
        return;
    }
    if (column < 0 || column >= grid.columns()) return;
    rows_.setOrder({column, !again});
    grid.showRows(&rows_);
    grid.setSort(column, !again);
}

}  // namespace lt
