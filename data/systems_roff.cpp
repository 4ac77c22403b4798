// Prints the built-in systems as the SYSTEMS list of coordconv-cli(1), so that the manual
// page lists exactly the table the program reads: a subsection for each group, a .TP item
// for each system, its id in bold and its English name.
#include <cstdio>
#include <string>
#include <string_view>

#include "systems/catalogue.h"

namespace {

struct GroupHeading {
    systems::Group group;
    std::string_view title;
};
// The groups of built-in systems in the order the page shows them (the user's are described
// by the page's own text).
constexpr GroupHeading kHeadings[] = {
    {systems::Group::Window, "The window's seven"},
    {systems::Group::Official, "The datums of GOST 32453-2017 (with its parameters only)"},
    {systems::Group::Zoned, "Three-degree and UTM zones (--zone)"},
};

// Text as roff prints it: a backslash escaped, a hyphen a real minus sign (ids and options
// are typed), and a line that would start with a control character kept as text.
std::string Roff(std::string_view text) {
    std::string out = text.starts_with('.') || text.starts_with('\'') ? "\\&" : "";
    for (const char c : text) {
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

// systems_roff FILE
int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: systems_roff FILE\n");
        return 64;
    }
    std::FILE* out = std::fopen(argv[1], "w");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 73;
    }
    for (const GroupHeading& heading : kHeadings) {
        std::fprintf(out, ".SS %s\n", Roff(heading.title).c_str());
        for (const systems::System& system : systems::BuiltInSystems()) {
            if (system.group != heading.group) continue;
            std::fprintf(out, ".TP\n.B %s\n%s\n", Roff(system.id).c_str(),
                         Roff(system.names.english).c_str());
        }
    }
    return std::fclose(out) == 0 ? 0 : 74;
}
