#pragma once

#include "model/InputData.h"

#include <array>

// The longest text, in characters, of each SEPA field the files carry: one
// table for the row control, the file builder and the input screen.
namespace FieldLimit {
// Nm of the creditor and of every debtor.
inline constexpr int Name = 70;
// MsgId; the collection label that starts it is held to the same on the input screen.
inline constexpr int MessageId = 25;
// PmtInfId.
inline constexpr int PaymentInfoId = 35;
// MndtId, as the schema allows it.
inline constexpr int MandateId = 35;
// A mandate id in the table: less than MndtId's 35 on purpose. The end-to-end
// id is the mandate id followed by four digits of the collection counter, and
// must stay within 35 characters itself; 30 leaves room for the digits. The
// builder cuts at MndtId's own limit, which no table the control passed reaches.
inline constexpr int MandateIdInTable = 30;
// The debtor agent's BIC in a file: its 8-character form, without a branch code.
inline constexpr int BIC = 8;
// Ustrd: the general description, a separator and the row's description.
inline constexpr int Remittance = 140;
// An address column of the table, held to what the files' address lines once took.
inline constexpr int AddressLine = 50;
// The parts of the structured address: StrtNm, BldgNb, TwnNm.
inline constexpr int Street = 70;
inline constexpr int BuildingNumber = 16;
inline constexpr int Town = 35;
} // namespace FieldLimit

// The longest text each row value may hold, by TLayoutField; 0 means no length test.
inline constexpr std::array<int, LayoutFieldCount> MaxFieldLengths{
    FieldLimit::Name,             // lfNaam
    FieldLimit::AddressLine,      // lfAdres1
    FieldLimit::AddressLine,      // lfAdres2
    0,                            // lfBedrag
    0,                            // lfIBAN
    0,                            // lfBIC
    FieldLimit::MandateIdInTable, // lfMandaatId
    0,                            // lfMandaatDatum
    0,                            // lfSeqCode
    FieldLimit::Remittance        // lfOmschrijving: with the general description before it
};
