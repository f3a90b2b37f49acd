// The "batch FILE" command every data tool takes: runs the tool's own commands
// one a line from FILE in one process, so that a data set of hundreds of files
// costs one start of the tool instead of one a file (a sanitised tool takes a
// good part of a second just to start).
//
//   # a comment; blank lines are skipped
//   draw work/title.bmp "demo/pack/Title Screen.draw.txt"
//   span out/title work/title.bmp --header 2
//
// A line's words are separated by blanks; within double quotes blanks belong
// to the word, and \" and \\ stand for " and \. The lines run in
// order; the first that fails stops the batch with that command's status,
// after "TOOL: FILE:LINE: ..." on the error stream. A batch line cannot start
// another batch.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/paths.h"

namespace toolbatch {

// The words of one line; false with the reason when a quote is left open.
inline bool SplitLine(std::string_view line, std::vector<std::string>& words, std::string* error) {
    words.clear();
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    size_t i = 0;
    while (true) {
        while (i < line.size() && blank(line[i])) ++i;
        if (i == line.size()) return true;
        // A word runs to the next blank outside quotes: a"b c"d is one word.
        std::string word;
        bool quoted = false;
        for (; i < line.size() && (quoted || !blank(line[i])); ++i) {
            char c = line[i];
            if (c == '"') {
                quoted = !quoted;
                continue;
            }
            if (quoted && c == '\\') {
                if (++i == line.size()) break;
                c = line[i];
            }
            word += c;
        }
        if (quoted) {
            *error = "a quote is not closed";
            return false;
        }
        words.push_back(std::move(word));
    }
}

using Entry = int (*)(const std::vector<std::string>& args, FILE* out, FILE* err);

// Runs "TOOL batch FILE" (args[0] is "batch") with the tool's entry function.
inline int Run(const char* tool, const std::vector<std::string>& args, Entry entry, FILE* out, FILE* err) {
    if (args.size() != 2) {
        std::fprintf(err, "usage: %s batch FILE    (one command of %s a line)\n", tool, tool);
        return 2;
    }
    const std::string& path = args[1];
    std::vector<uint8_t> bytes;
    if (!plat::ReadWholeFile(path, bytes)) {
        std::fprintf(err, "%s: cannot read %s\n", tool, path.c_str());
        return 1;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    size_t number = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        std::vector<std::string> words;
        std::string error;
        if (!SplitLine(line, words, &error)) {
            std::fprintf(err, "%s: %s:%zu: %s\n", tool, path.c_str(), number, error.c_str());
            return 2;
        }
        if (words.empty() || words[0].starts_with('#')) continue;
        if (words[0] == "batch") {
            std::fprintf(err, "%s: %s:%zu: a batch cannot start another\n", tool, path.c_str(), number);
            return 2;
        }
        const int status = entry(words, out, err);
        if (status != 0) {
            std::fprintf(err, "%s: %s:%zu: %s failed (status %d)\n", tool, path.c_str(), number,
                         words[0].c_str(), status);
            return status;
        }
    }
    return 0;
}

}  // namespace toolbatch
