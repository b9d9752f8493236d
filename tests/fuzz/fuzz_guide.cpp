// Reading a guide from any bytes: no crash, and a document a viewer can show safely: every
// line within its width, every link inside its node's text, Find and MainNode agreeing
// with the nodes, a bounded list of warnings, and a message exactly when nothing shows.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "guidefile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const guide::Document doc = guide::Parse(text, "fuzz.guide");
    if ((doc.status == guide::Status::Ok) != doc.message.empty()) std::abort();
    if (doc.warnings.size() > guide::kMaxWarnings + 1) std::abort();  // + "n more not listed"
    if (doc.status != guide::Status::Ok) return 0;
    const int main = doc.MainNode();
    if ((main < 0) != doc.nodes.empty() || main >= static_cast<int>(doc.nodes.size())) std::abort();
    for (size_t n = 0; n < doc.nodes.size(); ++n) {
        const guide::Node& node = doc.nodes[n];
        const int found = doc.Find(node.name);
        // Names compare without regard to case: the first node of a name is the one found.
        // A node written without a name (warned of) is found by no name.
        if (node.name.empty() ? found != -1 : found < 0 || found > static_cast<int>(n)) std::abort();
        for (const std::string& line : node.lines)
            if (line.size() > static_cast<size_t>(guide::kMaxColumns) || line.find('\n') != std::string::npos)
                std::abort();
        for (const guide::Link& link : node.links) {
            if (link.line < 0 || link.line >= static_cast<int>(node.lines.size())) std::abort();
            if (link.column < 0 || link.targetLine < 0) std::abort();
            if (node.lines[link.line].compare(link.column, link.label.size(), link.label) != 0) std::abort();
        }
    }
    return 0;
}
