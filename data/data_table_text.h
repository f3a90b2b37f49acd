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
#pragma once
#include <string>
#include <string_view>

#include "data/data_table_writer.h"

bool ParseTableText(std::string_view text, TablePlan& layout, std::string* error = nullptr);
// The table as the client read it, in the form above.
std::string DumpTableText(const CDataTable& table);
