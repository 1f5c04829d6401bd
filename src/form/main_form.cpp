#include "form/main_form.h"

#include "i18n/captions.h"

namespace lt {

MainForm::MainForm() {
    // Designed captions: the Spanish texts, shown as they are when no language applies.
    for (int tab = 0; tab < 5; ++tab) {
        STabTiempos_Estado.setTabCaption(tab, QString::fromUtf8(tabCaption(tab).spanish));
        for (const CaptionEntry& e : captionTable(tab))
            if (auto* c = registry.get<CaptionedControl>(QString::fromLatin1(e.control)))
                c->setCaption(QString::fromUtf8(e.spanish));
    }
    const auto grid = gridCaptions();
    for (int col = 0; col < static_cast<int>(grid.size()); ++col)
        MSFlexGrid_Estado.setCaption(col,
                                     QString::fromUtf8(grid[static_cast<size_t>(col)].spanish));

    LbTIEStadoE_Estado.setCaption(QStringLiteral("DESCONECTADO"));
    LbDescripcion_AcercaDe.setCaption(QString::fromUtf8(kAboutDescription.spanish));
    LbPrueba.setCaption(QStringLiteral("00:00:00"));
    LbCOCostoAcumulado_Estado.setCaption(QStringLiteral("Costo acumulado desde el :"));
    CdConectar.setCaption(QStringLiteral("C"));
    CdDesconectar.setCaption(QStringLiteral("D"));
    TxCOCostoConexionActual_Estado.setText(QStringLiteral("000.00"));
    TxCOCostoAcumuladoDesde.setText(QStringLiteral("000.00"));
    TxTiempoAcumulado_Estado.setVisible(false);
    TxDiasAcumuladosInterrupcionProgramada_Estado.setVisible(false);
    LbConexionVia_Estado.setVisible(false);
    LbEstadoRelojServer_Estado.setVisible(false);
    LbAvisoCorte_Estado.setVisible(false);
    LbAvisoCorte_Estado.setForeColor(0x003CAA);  // dark orange, as blue-green-red
    LbBloqueo.setVisible(false);
    LbConfirmarClave_Configuracion.setVisible(false);
    TxConfirmarClave_Configuracion.setVisible(false);
    ProgressBar_Estado.setVisible(false);
    ProgressBar_Estado.setEnabled(false);
    window.caption = QStringLiteral("LinkTally");

    // The password panel starts in entry mode.
    LbNuevaClave_Configuracion.setVisible(false);
    TxNuevaClave_Configuracion.setVisible(false);
    CdAceptarClaveNueva_Configuracion.setVisible(false);

    // Guarded settings start locked until the password is entered.
    for (Control* c : protegidos()) c->setEnabled(false);
    CdBloquear_Configuracion.setVisible(false);

    OpCostoPorDia_Costo.setGroup({&OpCostoPorDia_Costo, &OpCostoPorSemana_Costo});
    OpCostoPorSemana_Costo.setGroup({&OpCostoPorDia_Costo, &OpCostoPorSemana_Costo});
    const std::vector<OptionButton*> queDia = {&OpNunca_Configuracion, &OpPorDia_Configuracion,
                                               &OpPorSemana_Configuracion, &OpPorMes_Configuracion};
    for (OptionButton* o : queDia) o->setGroup(queDia);
    for (int c : {6, 7}) MSFlexGrid_Estado.setColumnFormat(c, Grid::CellFormat::Bytes);
    OpBarras_Estadisticas.setGroup({&OpBarras_Estadisticas, &OpLineal_Estadisticas});
    OpLineal_Estadisticas.setGroup({&OpBarras_Estadisticas, &OpLineal_Estadisticas});

    CkTiempo_Estadisticas.setValue(1);
    CkCosto_Estadisticas.setValue(1);
    CkCostoTotal_Estadisticas.setValue(1);
    LbSesion_Estadisticas.setForeColor(255);

    FrChico.window.caption = QStringLiteral(" LinkTally V1.06 (b)");
    Dialogo.window.caption = QStringLiteral("  LinkTally V1.06 (b)");
    Dialogo.CmAceptar.setCaption(QStringLiteral("Aceptar"));
}

}  // namespace lt
