#include "tools/qmtable/table_tool.h"

#include "data/data_table_text.h"
#include "data/file_resource.h"
#include "platform/paths.h"
#include "tools/tool_batch.h"

namespace {

int Usage(FILE* err) {
    std::fprintf(err,
                 "usage: qmtable build TEXT OUT [TEXT OUT...]\n"
                 "       qmtable dump FILE\n"
                 "       qmtable batch FILE                  (its commands, one a line)\n");
    return 2;
}

// Builds the table of one text file.
int Build(const std::string& textPath, const std::string& outPath, FILE* err) {
    std::vector<uint8_t> text;
    if (!plat::ReadWholeFile(textPath, text)) {
        std::fprintf(err, "qmtable: cannot read %s\n", textPath.c_str());
        return 1;
    }
    TablePlan layout;
    std::string error;
    std::vector<TableRowsText> parts;
    if (!ReadTableSource(textPath, parts, &error) ||
        !ParseTableText(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()), parts,
                        layout, &error)) {
        std::fprintf(err, "qmtable: %s: %s\n", textPath.c_str(), error.c_str());
        return 1;
    }
    std::vector<uint8_t> bytes = WriteDataTable(layout, &error);
    if (bytes.empty()) {
        std::fprintf(err, "qmtable: %s: %s\n", textPath.c_str(), error.c_str());
        return 1;
    }
    if (!plat::WriteFileAtomic(outPath, bytes.data(), bytes.size())) {
        std::fprintf(err, "qmtable: cannot write %s\n", outPath.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int RunTableTool(const std::vector<std::string>& args, FILE* out, FILE* err) {
    if (!args.empty() && args[0] == "batch") return toolbatch::Run("qmtable", args, RunTableTool, out, err);
    // Several tables in one run: build TEXT OUT [TEXT OUT ...].
    if (args.size() >= 3 && args.size() % 2 == 1 && args[0] == "build") {
        for (size_t i = 1; i < args.size(); i += 2)
            if (const int status = Build(args[i], args[i + 1], err); status != 0) return status;
        return 0;
    }
    if (args.size() == 2 && args[0] == "dump") {
        // Read the whole file into memory first: a file the tool cannot take
        // whole is not a table it could show anyway.
        std::vector<uint8_t> bytes;
        if (!plat::ReadWholeFile(args[1], bytes) || bytes.size() > UINT32_MAX) {
            std::fprintf(err, "qmtable: cannot read %s\n", args[1].c_str());
            return 1;
        }
        CFileResource file;
        file.OpenBorrowedMemory(bytes.data(), uint32_t(bytes.size()));
        CDataTable table;
        if (!table.ReadTableBinary(file)) {
            std::fprintf(err, "qmtable: %s: not a readable data table\n", args[1].c_str());
            return 1;
        }
        std::string text = DumpTableText(table);
        std::fwrite(text.data(), 1, text.size(), out);
        if (file.GetRemaining() > 0)
            std::fprintf(err, "qmtable: %u bytes after the table\n", file.GetRemaining());
        return 0;
    }
    return Usage(err);
}
