#include "knife/Rules.h"

namespace knife {

void AddLine(Report& report, const std::string& rule, const std::vector<std::string>& parts) {
    std::string line;
    for (const std::string& part : parts) {
        if (part.empty()) continue;
        line += (line.empty() ? rule + ": " : std::string(", ")) + part;
    }
    if (!line.empty()) report.lines.push_back(line);
}

std::string Count(size_t n, const std::string& what) {
    return n ? std::to_string(n) + " " + what : std::string();
}

}  // namespace knife
