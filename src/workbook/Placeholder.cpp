// The workbook readers follow.
