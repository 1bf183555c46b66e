#pragma once

#include "model/RunRecords.h"

class QTableWidget;

// The summary of the last run on the input screen: a header row and one row
// per record of the run (FRST, RCUR, FNAL, OOFF, totals).

// Gives the grid of the input screen's form its rows, columns and cells, once.
void InitSummaryGrid(QTableWidget *grid);
// Row height, column widths and the two header cells; the rows below stay.
void SetupSummaryGrid(QTableWidget *grid);
// Writes the five records into rows 1 to 5.
void FillSummaryGrid(QTableWidget *grid, const TIncassobatches &batches);
// Rows 1 to 5 as a run without files leaves them: each code, no file name, 0 and 0.00.
void ClearSummaryGrid(QTableWidget *grid);
