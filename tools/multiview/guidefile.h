// A hypertext guide document: its nodes, their text and the links between them, read from
// the AmigaGuide text format. Damage is worked around where a reader can still make sense of
// the file and noted in `warnings`; a file that is no guide at all gets a status and a
// message a person can read.
#pragma once
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace guide {

// Longest line kept, in characters; the rest of a longer line is dropped.
inline constexpr int kMaxColumns = 1000;
// Largest file read; a guide is a few kilobytes of text.
inline constexpr long kMaxFileBytes = 8L * 1024 * 1024;
// Warnings kept; a badly damaged file would otherwise list one for every line.
inline constexpr size_t kMaxWarnings = 100;

struct Link {
    std::string label;   // what the button shows
    std::string target;  // the node's name, as written
    int targetLine = 0;  // line of the target to show first (0: its top)
    int line = 0;        // where the button stands in its node: line index
    int column = 0;      // and the label's first character in that line
};

struct Node {
    std::string name;
    std::string title;  // empty when the node names none
    std::vector<std::string> lines;  // ISO-8859-1 text, tabs expanded, commands taken out
    std::vector<Link> links;         // in reading order
    int sourceLine = 0;              // the @node line in the file, from 1
};

enum class Status { Ok, CannotOpen, NotAGuide };

struct Document {
    Status status = Status::NotAGuide;
    std::string fileName;  // the last part of the name the file was asked for by
    std::string message;   // why it cannot be shown; empty when it can
    std::string database;  // the name after @database
    std::vector<Node> nodes;
    std::vector<std::string> warnings;  // damage that was worked around, with line numbers
    // Lower-case name -> first node of that name; filled by Parse. Without it Find searches.
    std::unordered_map<std::string, int> index;

    // The node of that name (names compare without regard to case), or -1.
    int Find(std::string_view name) const;
    // The node "Main", else the first one; -1 when there are none.
    int MainNode() const;
};

// Reads a guide from its text. `fileName` only names it in messages.
Document Parse(std::string_view text, std::string_view fileName);
// Reads the file at `path` through DOS and parses it.
Document Load(const char* path);

}  // namespace guide
