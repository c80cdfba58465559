#include "tools/bench/instruction_share.h"

#include <cctype>
#include <fstream>
#include <map>
#include <sstream>

// Callgrind's output names each object once, as "ob=(id) name" or "cob=(id) name", and later by
// its id alone; cost lines ("position cost") belong to the object of the last "ob=" line. The line
// after a "calls=" line holds the inclusive cost of that call and is not counted.
bool readInstructionsByObject(const std::string &path, std::vector<ObjectInstructions> &objects) {
    std::ifstream file(path);
    if (!file) {
        return false;
    }
    std::map<std::string, std::string> names;
    std::map<std::string, unsigned long long> totals;
    std::string current = "???";
    bool skipNext = false;
    std::string line;
    while (std::getline(file, line)) {
        const bool object = line.compare(0, 3, "ob=") == 0;
        if (object || line.compare(0, 4, "cob=") == 0) {
            const std::size_t open = line.find('(');
            const std::size_t close = line.find(')');
            const std::string id = open != std::string::npos && close != std::string::npos
                                       ? line.substr(open, close - open + 1)
                                       : line.substr(line.find('=') + 1);
            if (close != std::string::npos && close + 2 <= line.size()) {
                names[id] = line.substr(close + 2);
            }
            if (object) {
                current = names.count(id) ? names[id] : id;
            }
        } else if (line.compare(0, 6, "calls=") == 0) {
            skipNext = true;
        } else if (!line.empty() && (std::isdigit(static_cast<unsigned char>(line[0])) ||
                                     line[0] == '+' || line[0] == '-' || line[0] == '*')) {
            if (skipNext) {
                skipNext = false;
                continue;
            }
            std::istringstream fields(line);
            std::string position;
            unsigned long long instructions = 0;
            if (fields >> position >> instructions) {
                totals[current] += instructions;
            }
        }
    }
    objects.clear();
    for (const auto &entry : totals) {
        objects.push_back({entry.first, entry.second});
    }
    return true;
}
