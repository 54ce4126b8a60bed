// Writes the cp932 and EUC-JP conversion tables, built from the system's converter, as C++ source for the
// build.
#include <cstdio>
#include <string>

#include "platform/Cp932.h"
#include "platform/EucJp.h"

namespace {

bool WriteFile(const char* path, const std::string& source) {
    std::FILE* f = std::fopen(path, "wb");
    if (!f || std::fwrite(source.data(), 1, source.size(), f) != source.size() || std::fclose(f) != 0) {
        std::perror(path);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: oruvan-code-tables CP932_OUTPUT EUCJP_OUTPUT\n");
        return 2;
    }
    return WriteFile(argv[1], oruvan::Cp932TableSource()) && WriteFile(argv[2], oruvan::EucJpTableSource())
               ? 0
               : 1;
}
