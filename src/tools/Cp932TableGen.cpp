// Writes the cp932 conversion tables, built from the system's converter, as C++ source for the build.
#include <cstdio>
#include <string>

#include "platform/Cp932.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: oruvan-cp932-tables OUTPUT\n");
        return 2;
    }
    const std::string source = oruvan::Cp932TableSource();
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(source.data(), 1, source.size(), f) != source.size() || std::fclose(f) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
