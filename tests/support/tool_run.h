// Runs a tool's entry function (args, out, err) with temporary streams and
// keeps its exit status and what it wrote.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

namespace qmtest {

struct ToolRun {
    int status;
    std::string out, err;
};

// Everything written to the stream so far.
inline std::string ReadAll(FILE* f) {
    std::string s;
    std::rewind(f);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    return s;
}

inline std::string ReadAllAndClose(FILE* f) {
    std::string s = ReadAll(f);
    std::fclose(f);
    return s;
}

template <class Tool>
ToolRun RunTool(Tool tool, std::vector<std::string> args) {
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    ToolRun r;
    r.status = tool(args, out, err);
    r.out = ReadAllAndClose(out);
    r.err = ReadAllAndClose(err);
    return r;
}

}  // namespace qmtest
