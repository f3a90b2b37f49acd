// The readable form of a data table, read by `qmtable build` and written by
// `qmtable dump`:
//
//   table 2                      # row count
//     column int code=4          # type 0: code 0-1 8-bit, 2-3 16-bit, 4 32-bit, 5+ none
//       100 -7
//     column text width=16       # type 1
//       "sword" "shield\x82\xa0"
//     column byte                # type 2
//       1 2
//     column table               # type 3: one nested table per row
//       table 1 column byte 5 end
//       table 1 column byte 6 end
//     column intw width=2        # type 4: element width 1, 2 or 4 (else none)
//     column dword               # type 5
//     column ref flag=0 kind=3   # type 6: (u16 [u16] [u8]) by the kind
//     column pair code=2         # type 7: (a b)
//     column skip width=4        # type 8: "raw" bytes per row, or none (zeros)
//     column bytes3              # type 9: (a b c)
//     column triple code=0       # type 10: (a b c)
//     column list k=2            # type 11: (v1 ... vk)
//   end
//
// A column may also be given by number ("column 6 flag=1"). Texts take the
// escapes \" \\ \n \t \r \0 and \xHH; everything after '#' on a line is a
// comment.
//
// Rows may also be given one a line after the columns, a cell for each column
// in column order ("row 49 \"Buy\" 3"), alone or after column lists; a row
// given twice is refused, and rows that nothing gives are empty (0, "", an
// empty nested table). "table auto" counts the rows up to the last one given.
// Row lines may also come from other texts (ReadTableSource), so that the
// rows of one table can be kept in several files.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "data/data_table_writer.h"

bool ParseTableText(std::string_view text, TablePlan& layout, std::string* error = nullptr);

// One more text of "row" lines for a table, with the name its errors carry.
struct TableRowsText {
    std::string name;
    std::string text;
};
// The table of text, then the row lines of each part in turn.
bool ParseTableText(std::string_view text, const std::vector<TableRowsText>& parts, TablePlan& layout,
                    std::string* error = nullptr);
// The parts of the table source at path "NAME.txt": every "*.rows" file of the
// folder "NAME.d" beside it, in name order (none when there is no folder).
bool ReadTableSource(const std::string& path, std::vector<TableRowsText>& parts,
                     std::string* error = nullptr);
// The table as the client read it, in the form above.
std::string DumpTableText(const CDataTable& table);
