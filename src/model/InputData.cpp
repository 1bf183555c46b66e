#include "model/InputData.h"

bool IsRequiredLayoutField(TLayoutField field)
{
    switch (field) {
    case lfNaam:
    case lfBedrag:
    case lfIBAN:
    case lfMandaatId:
    case lfMandaatDatum:
    case lfOmschrijving:
        return true;
    default:
        return false;
    }
}
