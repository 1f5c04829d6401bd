#include "history/session_history.h"

#include "core/clock.h"
#include "core/text_format.h"
#include "form/estado_monitor.h"
#include "form/main_form.h"
#include "form/messages.h"
#include "history/grid_sort.h"
#include "i18n/captions.h"
#include "settings/settings_store.h"

namespace lt {

void SessionHistory::abrir() {
    const bool waiting = store_.pendingCount() > 0;
    if (store_.open()) {
        if (waiting) messages_.show(MessageBox::Icon::Information, kMsgHistoryPendingSaved);
    } else {
        // Open but with sessions still waiting to be stored, or not readable at all.
        if (store_.isOpen())
            reportWriteFailure();
        else
            messages_.warn(kMsgHistoryNotRead, store_.error());
    }
    const auto crashed = store_.readCheckpoint();
    if (!crashed) return;
    // The session a crash left open ends at its last checkpoint; the checkpoint goes
    // only once the session is stored or waiting in the pending file.
    const bool stored = store_.append(*crashed);
    if (stored)
        messages_.show(MessageBox::Icon::Information, kMsgSessionRecovered);
    else
        reportWriteFailure();
    if (stored || store_.allOnDisk()) store_.removeCheckpoint();
    estado_.Momento = crashed->fecha;
    settings_.GuardarValorINI(QStringLiteral("Interrupciones"), QStringLiteral("Momento"),
                              crashed->fecha);
    settings_.GuardarValorINI(QStringLiteral("Costos"), QStringLiteral("CostoAcumuladoPorSesion"),
                              crashed->CostoAcumulado);
}

void SessionHistory::CargarDeBaseDeDatosVisuakizarGrilla() {
    // Reading the whole table again buys nothing while the grid already shows it.
    if (gridHoldsHistory_) return;
    std::vector<QString> cells;
    store_.loadCells(cells);
    form_.MSFlexGrid_Estado.setCells(std::move(cells));
    estado_.CantidadSesiones = form_.MSFlexGrid_Estado.rowCount();
    gridHoldsHistory_ = true;
}

SessionRecord SessionHistory::sesionEnCurso() const {
    const MainForm& f = form_;
    return {f.TxISFecha_Estado.text(),
            f.TxISHora_Estado.text(),
            f.TxTAHora_Estado.text(),
            f.TxTITiempoConexion_Estado.text(),
            f.TxCOCostoConexionActual_Estado.text(),
            f.TxCOCostoAcumuladoDesde.text()};
}

void SessionHistory::GuardarEnBaseDeDatosYactualizarGrilla() {
    const SessionRecord record = sesionEnCurso();
    CargarDeBaseDeDatosVisuakizarGrilla();
    if (store_.append(record)) {
        if (writeFailureReported_)
            messages_.show(MessageBox::Icon::Information, kMsgHistoryPendingSaved);
        writeFailureReported_ = false;
    } else {
        reportWriteFailure();
    }
    // Stored or pending, the record belongs in the grid; the rows shown stay as they are.
    form_.MSFlexGrid_Estado.appendRow(record.toRow());
    estado_.CantidadSesiones = form_.MSFlexGrid_Estado.rowCount();
    // Held in memory only, the session still needs the checkpoint should the program die.
    if (store_.allOnDisk()) store_.removeCheckpoint();
}

void SessionHistory::reportWriteFailure() {
    if (writeFailureReported_) return;
    writeFailureReported_ = true;
    messages_.warn(kMsgHistoryNotWritten, store_.error());
}

void SessionHistory::checkpoint() {
    if (!form_.LbTIEStadoE_Estado.caption().startsWith(QLatin1Char('C'))) return;
    store_.writeCheckpoint(sesionEnCurso());
}

void SessionHistory::CdLimpiarBase_Configuracion_Click() {
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
    form_.MSFlexGrid_Estado.setRows({});
    gridHoldsHistory_ = true;
    form_.STabTiempos_Estado.setTabEnabled(3, false);
}

void SessionHistory::MSFlexGrid_Estado_CaptionClick(int column) {
    sortHistoryGrid(form_.MSFlexGrid_Estado, column);
    // A sort only reorders what is shown: the next load, store or chart starts again
    // from the stored order.
    gridHoldsHistory_ = false;
}

}  // namespace lt
