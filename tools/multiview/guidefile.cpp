// Reading the AmigaGuide text format: line commands (@database, @node, @title, @endnode)
// start in the first column; inline commands @{...} stand anywhere in a node's text, of
// which links become buttons and the rest (styles, colours) is dropped.
#include "guidefile.h"

#include <dos.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

namespace guide {

namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool SameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::string LowerCopy(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = Lower(c);
    return out;
}

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

// A byte the font can show: controls (C0, DEL and C1) become '?'.
char Shown(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || (u >= 0x7F && u < 0xA0)) return '?';
    return c;
}

std::string Sanitized(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) out.push_back(c == '\t' ? ' ' : Shown(c));
    return out;
}

// Words of a command's arguments; a word in double quotes may hold spaces. `closed` tells
// whether every quote was closed.
std::vector<std::string> Words(std::string_view s, bool* closed = nullptr) {
    std::vector<std::string> words;
    if (closed) *closed = true;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && IsSpace(s[i])) ++i;
        if (i >= s.size()) break;
        std::string word;
        if (s[i] == '"') {
            size_t end = s.find('"', i + 1);
            if (end == std::string_view::npos) {
                if (closed) *closed = false;
                end = s.size();
            }
            word.assign(s.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            size_t end = i;
            while (end < s.size() && !IsSpace(s[end])) ++end;
            word.assign(s.substr(i, end - i));
            i = end;
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::string Where(int lineNumber) { return "line " + std::to_string(lineNumber) + ": "; }

class Parser {
public:
    Parser(std::string_view text, Document& doc) : text_(text), doc_(doc) {}

    void Run() {
        bool first = true;
        size_t pos = 0;
        int number = 0;
        while (pos <= text_.size()) {
            if (pos == text_.size() && pos > 0) break;  // the last line's end is no new line
            size_t end = text_.find('\n', pos);
            if (end == std::string_view::npos) end = text_.size();
            std::string_view line = text_.substr(pos, end - pos);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            ++number;
            if (first) {
                if (Blank(line)) {
                    pos = end + 1;
                    continue;
                }
                first = false;
                if (!IsCommand(line, "database")) {
                    // Whatever this is, it is not a guide: nothing of it is shown.
                    Warn(Where(number) + "the file does not begin with @database");
                    return;
                }
            }
            Line(line, number);
            pos = end + 1;
        }
        if (current_ >= 0)
            Warn("node \"" + doc_.nodes[current_].name + "\" has no @endnode");
    }

    bool sawDatabase = false;

    void Warn(std::string text) {
        if (doc_.warnings.size() < kMaxWarnings) doc_.warnings.push_back(std::move(text));
        else ++unlisted;
    }
    size_t unlisted = 0;

private:
    static bool Blank(std::string_view line) {
        return std::all_of(line.begin(), line.end(), [](char c) { return IsSpace(c); });
    }

    // The keyword of a line command, lower case, or "" when the line is text.
    static std::string Keyword(std::string_view line) {
        if (line.size() < 2 || line[0] != '@' || line[1] == '{') return "";
        size_t end = 1;
        while (end < line.size() && !IsSpace(line[end])) ++end;
        return LowerCopy(line.substr(1, end - 1));
    }

    static bool IsCommand(std::string_view line, std::string_view keyword) { return Keyword(line) == keyword; }

    static std::string_view Arguments(std::string_view line) {
        size_t end = 1;
        while (end < line.size() && !IsSpace(line[end])) ++end;
        return line.substr(end);
    }

    void Line(std::string_view line, int number) {
        const std::string keyword = Keyword(line);
        if (keyword.empty()) {
            if (current_ >= 0) TextLine(line, number);
            return;
        }
        const std::vector<std::string> args = Words(Arguments(line));
        if (keyword == "database") {
            if (sawDatabase) {
                Warn(Where(number) + "a second @database is ignored");
                return;
            }
            sawDatabase = true;
            if (!args.empty()) doc_.database = Sanitized(args[0]);
        } else if (keyword == "node") {
            if (current_ >= 0)
                Warn(Where(number) + "node \"" + doc_.nodes[current_].name +
                                        "\" has no @endnode");
            Node node;
            node.sourceLine = number;
            if (args.empty()) {
                Warn(Where(number) + "@node without a name");
            } else {
                node.name = Sanitized(args[0]);
                if (args.size() > 1) node.title = Sanitized(args[1]);
                const int at = static_cast<int>(doc_.nodes.size());
                if (!doc_.index.emplace(LowerCopy(node.name), at).second)
                    Warn(Where(number) + "a second node \"" + node.name + "\"; links lead to the first");
            }
            doc_.nodes.push_back(std::move(node));
            current_ = static_cast<int>(doc_.nodes.size()) - 1;
        } else if (keyword == "endnode") {
            if (current_ < 0)
                Warn(Where(number) + "@endnode outside a node");
            current_ = -1;
        } else if (keyword == "title") {
            if (current_ < 0)
                Warn(Where(number) + "@title outside a node");
            else if (!args.empty())
                doc_.nodes[current_].title = Sanitized(args[0]);
        } else if (!Known(keyword)) {
            Warn(Where(number) + "unknown command @" + Sanitized(keyword) + " ignored");
        }
    }

    // Commands of the format that change nothing of what this viewer shows.
    static bool Known(const std::string& keyword) {
        static const char* const kIgnored[] = {"author", "(c)", "$ver:", "index", "help", "toc", "next",
                                               "prev", "font", "wordwrap", "smartwrap", "tab", "remark",
                                               "master", "width", "height", "keywords", "onopen",
                                               "onclose", "macro", "proportional", "embed"};
        return std::any_of(std::begin(kIgnored), std::end(kIgnored), [&](const char* k) { return keyword == k; });
    }

    // Appends `c` to the line being built, as long as it has room.
    void Put(std::string& out, char c, int number) {
        if (static_cast<int>(out.size()) >= kMaxColumns) {
            if (!cut_) {
                Warn(Where(number) + "longer than " + std::to_string(kMaxColumns) +
                                        " characters; the rest is not shown");
                cut_ = true;
            }
            return;
        }
        out.push_back(c);
    }

    void TextLine(std::string_view line, int number) {
        Node& node = doc_.nodes[current_];
        const int lineIndex = static_cast<int>(node.lines.size());
        std::string out;
        cut_ = false;
        size_t i = 0;
        while (i < line.size()) {
            const char c = line[i];
            if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '@' || line[i + 1] == '\\')) {
                Put(out, line[i + 1], number);
                i += 2;
            } else if (c == '@' && i + 1 < line.size() && line[i + 1] == '{') {
                const size_t close = CommandEnd(line, i + 2);
                if (close == std::string_view::npos) {
                    Warn(Where(number) + "@{ without its closing }");
                    for (; i < line.size(); ++i) Put(out, Shown(line[i]), number);
                    break;
                }
                Inline(line.substr(i + 2, close - i - 2), out, node, lineIndex, number);
                i = close + 1;
            } else if (c == '\t') {
                do Put(out, ' ', number);
                while (out.size() % 8 != 0 && static_cast<int>(out.size()) < kMaxColumns);
                ++i;
            } else {
                Put(out, Shown(c), number);
                ++i;
            }
        }
        node.lines.push_back(std::move(out));
    }

    // The '}' that closes an inline command whose contents start at `from`; braces inside
    // quotes do not count.
    static size_t CommandEnd(std::string_view line, size_t from) {
        bool quoted = false;
        for (size_t i = from; i < line.size(); ++i) {
            if (line[i] == '"') quoted = !quoted;
            else if (line[i] == '}' && !quoted) return i;
        }
        return std::string_view::npos;
    }

    void Inline(std::string_view body, std::string& out, Node& node, int lineIndex, int number) {
        size_t start = 0;
        while (start < body.size() && IsSpace(body[start])) ++start;
        if (start >= body.size() || body[start] != '"') return;  // a style: bold, colours, ...
        bool closed = true;
        const std::vector<std::string> words = Words(body.substr(start), &closed);
        if (words.empty()) return;
        const std::string label = Sanitized(words[0]);
        const std::string command = words.size() > 1 ? LowerCopy(words[1]) : "";
        const bool link = (command == "link" || command == "alink") && words.size() > 2 && !words[2].empty();
        if (!link) {
            Warn(Where(number) + "\"" + label + "\" is not a link this viewer can follow");
        }
        const int column = static_cast<int>(out.size());
        for (char c : label) Put(out, c, number);
        if (!link || static_cast<int>(out.size()) - column < static_cast<int>(label.size())) return;
        Link l;
        l.label = label;
        l.target = Sanitized(words[2]);
        if (words.size() > 3) {
            char* end = nullptr;
            const long n = std::strtol(words[3].c_str(), &end, 10);
            if (end != words[3].c_str() && *end == '\0' && n > 0 && n < 1000000) l.targetLine = static_cast<int>(n);
        }
        l.line = lineIndex;
        l.column = column;
        node.links.push_back(std::move(l));
    }

    std::string_view text_;
    Document& doc_;
    int current_ = -1;
    bool cut_ = false;
};

std::string LastPart(std::string_view path) {
    const size_t slash = path.find_last_of("/:");
    return Sanitized(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

int Document::Find(std::string_view name) const {
    if (name.empty()) return -1;
    if (!index.empty()) {
        const auto found = index.find(LowerCopy(name));
        return found == index.end() ? -1 : found->second;
    }
    for (size_t i = 0; i < nodes.size(); ++i)
        if (SameNoCase(nodes[i].name, name)) return static_cast<int>(i);
    return -1;
}

int Document::MainNode() const {
    if (nodes.empty()) return -1;
    const int main = Find("Main");
    return main >= 0 ? main : 0;
}

Document Parse(std::string_view text, std::string_view fileName) {
    Document doc;
    doc.fileName = LastPart(fileName);
    Parser parser(text, doc);
    parser.Run();
    if (!parser.sawDatabase || doc.nodes.empty()) {
        if (parser.sawDatabase) doc.warnings.push_back("the guide has no @node");
        doc.status = Status::NotAGuide;
        doc.message = doc.fileName + " is not a guide";
        doc.nodes.clear();
        doc.index.clear();
        return doc;
    }
    for (const Node& node : doc.nodes)
        for (const Link& link : node.links)
            if (doc.Find(link.target) < 0)
                parser.Warn(Where(node.sourceLine) + "in node \"" + node.name + "\", \"" + link.label +
                            "\" leads to \"" + link.target + "\", which is no node here");
    if (parser.unlisted > 0) doc.warnings.push_back(std::to_string(parser.unlisted) + " more problems not listed");
    doc.status = Status::Ok;
    return doc;
}

Document Load(const char* path) {
    if (path == nullptr || *path == '\0') {
        Document doc;
        doc.status = Status::CannotOpen;
        doc.message = "No guide was named";
        return doc;
    }
    auto failed = [&](Status status, const std::string& message) {
        Document doc;
        doc.fileName = LastPart(path);
        doc.status = status;
        doc.message = message;
        return doc;
    };
    const std::string name = LastPart(path);
    const BPTR file = Open(path, MODE_OLDFILE);
    if (file == 0) return failed(Status::CannotOpen, "Cannot open " + name);
    std::string text;
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        const LONG got = Read(file, chunk.data(), static_cast<LONG>(chunk.size()));
        if (got < 0) {
            Close(file);
            return failed(Status::CannotOpen, "Cannot open " + name);
        }
        if (got == 0) break;
        if (static_cast<long>(text.size()) + got > kMaxFileBytes) {
            Close(file);
            return failed(Status::NotAGuide, name + " is too large to be a guide");
        }
        text.append(chunk.data(), static_cast<size_t>(got));
    }
    Close(file);
    return Parse(text, path);
}

}  // namespace guide
