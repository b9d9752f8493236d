// AmigaDOS name patterns, case-insensitive: ? any character, #x any number of x, #? anything,
// (a|b) alternatives, ~x anything x does not match, % nothing, [a-z] and [~a-z] character
// classes, ' takes the next character as it is. The parsed form is the checked pattern
// behind a marker byte; matching works on sets of reachable positions, so no pattern can
// make it take exponential time.
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dos.h"

namespace {

constexpr char kValid = '\x01';      // the parsed form of a good pattern
constexpr char kMalformed = '\x02';  // matches nothing
constexpr int kMaxDepth = 200;       // nesting deeper than this is refused, not recursed into

unsigned char Fold(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<unsigned char>(c + 0x20);
    return c;
}

struct Node {
    enum Kind { Literal, Any, Class, Star, Group, Not, Empty } kind = Empty;
    unsigned char c = 0;              // Literal: folded
    std::vector<bool> set;            // Class: 256 entries, folded
    bool negated = false;             // Class
    int child = -1;                   // Star, Not
    std::vector<std::vector<int>> alternatives;  // Group: sequences of nodes
};

Node Make(Node::Kind kind, unsigned char c = 0) {
    Node node;
    node.kind = kind;
    node.c = c;
    return node;
}

struct Pattern {
    std::vector<Node> nodes;
    std::vector<std::vector<int>> top;  // alternatives at the top level
};

class Parser {
public:
    explicit Parser(const char* text) : p_(reinterpret_cast<const unsigned char*>(text)) {}

    // False for a malformed pattern.
    bool Parse(Pattern& out) {
        pattern_ = &out;
        if (!Alternatives(out.top, 0)) return false;
        return *p_ == '\0';  // a ')' without its '(' stops early
    }
    bool wildcards = false;

private:
    bool Alternatives(std::vector<std::vector<int>>& alternatives, int depth) {
        if (depth > kMaxDepth) return false;
        for (;;) {
            std::vector<int> sequence;
            while (*p_ != '\0' && *p_ != '|' && *p_ != ')') {
                const int node = Item(depth + 1);
                if (node < 0) return false;
                sequence.push_back(node);
            }
            alternatives.push_back(std::move(sequence));
            if (*p_ != '|') return true;
            wildcards = true;
            ++p_;
        }
    }

    int Add(Node node) {
        pattern_->nodes.push_back(std::move(node));
        return static_cast<int>(pattern_->nodes.size()) - 1;
    }

    int Item(int depth) {
        if (depth > kMaxDepth) return -1;
        const unsigned char c = *p_;
        switch (c) {
            case '\0':
            case '|':
            case ')': return -1;  // '#' or '~' with nothing to apply to
            case '\'':
                if (p_[1] == '\0') return -1;
                p_ += 2;
                return Add(Make(Node::Literal, Fold(p_[-1])));
            case '?':
                ++p_;
                wildcards = true;
                return Add(Make(Node::Any));
            case '%':
                ++p_;
                wildcards = true;
                return Add(Make(Node::Empty));
            case '#':
            case '~': {
                ++p_;
                wildcards = true;
                const int child = Item(depth + 1);
                if (child < 0) return -1;
                Node node = Make(c == '#' ? Node::Star : Node::Not);
                node.child = child;
                return Add(std::move(node));
            }
            case '(': {
                ++p_;
                wildcards = true;
                Node node = Make(Node::Group);
                if (!Alternatives(node.alternatives, depth + 1) || *p_ != ')') return -1;
                ++p_;
                return Add(std::move(node));
            }
            case '[': return ClassItem();
            default: ++p_; return Add(Make(Node::Literal, Fold(c)));
        }
    }

    int ClassItem() {
        ++p_;
        wildcards = true;
        Node node = Make(Node::Class);
        node.set.assign(256, false);
        if (*p_ == '~') {
            node.negated = true;
            ++p_;
        }
        bool any = false;
        while (*p_ != ']') {
            if (*p_ == '\0') return -1;
            unsigned char from = *p_++;
            if (from == '\'') {
                if (*p_ == '\0') return -1;
                from = *p_++;
            }
            unsigned char to = from;
            if (*p_ == '-' && p_[1] != ']' && p_[1] != '\0') {
                ++p_;
                to = *p_++;
                if (to == '\'') {
                    if (*p_ == '\0') return -1;
                    to = *p_++;
                }
                if (to < from) return -1;
            }
            for (unsigned v = from; v <= to; ++v) node.set[Fold(static_cast<unsigned char>(v))] = true;
            any = true;
        }
        ++p_;
        return any ? Add(std::move(node)) : -1;
    }

    const unsigned char* p_;
    Pattern* pattern_ = nullptr;
};

// A set of positions 0..n in the string.
using Positions = std::vector<uint64_t>;

class Matcher {
public:
    Matcher(const Pattern& pattern, const char* text) : pattern_(pattern) {
        for (const char* s = text; *s != '\0'; ++s) text_.push_back(Fold(static_cast<unsigned char>(*s)));
        n_ = text_.size();
        words_ = (n_ + 1 + 63) / 64;
        memo_.resize(pattern.nodes.size());
        for (auto& row : memo_) row.resize(n_ + 1);
    }

    bool Matches() {
        const Positions ends = Alternatives(pattern_.top, 0);
        return Has(ends, n_);
    }

private:
    static bool Has(const Positions& s, size_t i) { return (s[i / 64] >> (i % 64)) & 1u; }
    static void Put(Positions& s, size_t i) { s[i / 64] |= uint64_t{1} << (i % 64); }
    Positions None() const { return Positions(words_, 0); }

    Positions Sequence(const std::vector<int>& sequence, size_t start) {
        Positions current = None();
        Put(current, start);
        for (int node : sequence) {
            Positions next = None();
            bool any = false;
            for (size_t q = 0; q <= n_; ++q) {
                if (!Has(current, q)) continue;
                const Positions& ends = Ends(node, q);
                for (size_t w = 0; w < words_; ++w) next[w] |= ends[w];
                any = true;
            }
            if (!any) return next;
            current = std::move(next);
        }
        return current;
    }

    Positions Alternatives(const std::vector<std::vector<int>>& alternatives, size_t start) {
        Positions all = None();
        for (const auto& sequence : alternatives) {
            const Positions ends = Sequence(sequence, start);
            for (size_t w = 0; w < words_; ++w) all[w] |= ends[w];
        }
        return all;
    }

    // Where node `id` can end when it starts at `start`.
    const Positions& Ends(int id, size_t start) {
        std::optional<Positions>& slot = memo_[id][start];
        if (slot) return *slot;
        const Node& node = pattern_.nodes[id];
        Positions ends = None();
        switch (node.kind) {
            case Node::Literal:
                if (start < n_ && text_[start] == node.c) Put(ends, start + 1);
                break;
            case Node::Any:
                if (start < n_) Put(ends, start + 1);
                break;
            case Node::Class:
                if (start < n_ && node.set[text_[start]] != node.negated) Put(ends, start + 1);
                break;
            case Node::Empty: Put(ends, start); break;
            case Node::Group: ends = Alternatives(node.alternatives, start); break;
            case Node::Not: {
                const Positions inner = Ends(node.child, start);
                for (size_t q = start; q <= n_; ++q)
                    if (!Has(inner, q)) Put(ends, q);
                break;
            }
            case Node::Star: {
                if (pattern_.nodes[node.child].kind == Node::Any) {
                    // #? : anything from here on.
                    for (size_t q = start; q <= n_; ++q) Put(ends, q);
                    break;
                }
                // Positions only grow, so walking them in order reaches the closure.
                Put(ends, start);
                for (size_t q = start; q <= n_; ++q) {
                    if (!Has(ends, q)) continue;
                    const Positions step = Ends(node.child, q);
                    for (size_t w = 0; w < words_; ++w) ends[w] |= step[w];
                }
                break;
            }
        }
        slot = std::move(ends);
        return *slot;
    }

    const Pattern& pattern_;
    std::vector<unsigned char> text_;
    size_t n_ = 0;
    size_t words_ = 1;
    std::vector<std::vector<std::optional<Positions>>> memo_;
};

}  // namespace

LONG ParsePatternNoCase(CONST_STRPTR source, STRPTR dest, LONG destLength) {
    if (dest == nullptr || destLength <= 0) return -1;
    dest[0] = '\0';
    Pattern pattern;
    Parser parser(source != nullptr ? source : "");
    const size_t length = source != nullptr ? std::strlen(source) : 0;
    const bool good = source != nullptr && parser.Parse(pattern);
    if (!good || length + 2 > static_cast<size_t>(destLength)) {
        if (destLength >= 2) {
            dest[0] = kMalformed;
            dest[1] = '\0';
        }
        return -1;
    }
    dest[0] = kValid;
    std::memcpy(dest + 1, source, length + 1);
    return parser.wildcards ? 1 : 0;
}

BOOL MatchPatternNoCase(CONST_STRPTR parsedPattern, CONST_STRPTR string) {
    if (parsedPattern == nullptr || string == nullptr) return FALSE;
    // Only a pattern that parsed; a text that never went through the parser is taken as a
    // pattern when it is a good one.
    const char* text = parsedPattern;
    if (*text == kValid) ++text;
    else if (*text == kMalformed) return FALSE;
    Pattern pattern;
    Parser parser(text);
    if (!parser.Parse(pattern)) return FALSE;
    Matcher matcher(pattern, string);
    return matcher.Matches() ? TRUE : FALSE;
}
