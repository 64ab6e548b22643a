#pragma once
// The four connections of the program and one cursor per table (TDataModule1).
// Cursors of the calculation and reference-book files exist while their
// connection is open; they are made by OtkritFaili and dropped when it closes them.
#include "store/database.h"
#include "store/table.h"
#include <memory>

namespace volm {

struct DataModule {
    Database acGR;      // calculation file
    Database acSpr;     // reference-book file
    Database acNastr;   // settings file "Nastr.mdb"
    Database acVremDB;  // scratch database "~$.mdb"

    // Calculation file.
    std::unique_ptr<Table> atZag, atNazvRasch, atTabl, atFormuli, atFormuli2,
        atFlyPredoprPok, atFlyPredoprPok2, atUzliTS, atMagistraliTS, atPrioritetiZag,
        atPrioritetiTabl, atSpisokRaschUchastkov, atIzmPNapVUzlahTS, atKonMag;
    std::unique_ptr<Table> aqRashPod, aqRashObr;  // full names of the flow indicators, for the report
    // Scratch caption tables, opened together with the calculation file.
    std::unique_ptr<Table> atVKolZag, atVKolTabl;

    // Reference book.
    std::unique_ptr<Table> atDiamTrPr, atPlVodiOtT, atPoprKoefKUdPot;

    // Settings.
    std::unique_ptr<Table> atNastr;

    // Scratch database.
    std::unique_ptr<Table> atVKol, atKopPolya, atZavisimostPokazatelei;

    // Closes the calculation connection and drops its cursors.
    void closeCalculation();
    // Closes the reference-book connection and drops its cursors.
    void closeReference();
};

}  // namespace volm
