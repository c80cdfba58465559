// Instructions spent in each shared object, from a callgrind output file.
#pragma once

#include <string>
#include <vector>

struct ObjectInstructions {
    std::string object; // the file of the executable or library, "???" for generated code
    unsigned long long instructions;
};

// The instructions executed in each object's own code; false if the file cannot be read.
bool readInstructionsByObject(const std::string &path, std::vector<ObjectInstructions> &objects);
