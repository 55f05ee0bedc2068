// The text fill: the pattern text repeated along the line from indicated
// point 1 to indicated point 2, written as a text-size and a text record.
#pragma once

// Fills and writes. Returns 0 when the records were written or the pattern
// text is empty, 1 when more than two point records were read, 2 when the last
// point record named a slot above 2, 3 when a number of the records would not
// be finite (nothing written).
int STR_LINE();
// The fill for a text record just read: the fill string starts as that
// record's text, then STR_LINE runs.
int CHR_PRO();
