#include "store/data_module.h"

namespace volm {

void DataModule::closeCalculation() {
    for (auto* t : {&atZag, &atNazvRasch, &atTabl, &atFormuli, &atFormuli2, &atFlyPredoprPok,
                    &atFlyPredoprPok2, &atUzliTS, &atMagistraliTS, &atPrioritetiZag, &atPrioritetiTabl,
                    &atSpisokRaschUchastkov, &atIzmPNapVUzlahTS, &atKonMag, &aqRashPod, &aqRashObr,
                    &atVKolZag, &atVKolTabl})
        t->reset();
    acGR.close();
}

void DataModule::closeReference() {
    atDiamTrPr.reset();
    atPlVodiOtT.reset();
    atPoprKoefKUdPot.reset();
    acSpr.close();
}

}  // namespace volm
