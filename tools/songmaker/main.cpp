// songmaker SCORE OUTPUT.xm: writes the module the score describes.

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "tools/songmaker/SongMaker.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: songmaker SCORE OUTPUT.xm\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "songmaker: cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    try {
        const std::vector<uint8_t> bytes = songmaker::MakeSong(text.str());
        std::ofstream out(argv[2], std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "songmaker: cannot write %s\n", argv[2]);
            return 1;
        }
        std::printf("songmaker: %zu bytes\n", bytes.size());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "songmaker: %s\n", e.what());
        return 1;
    }
    return 0;
}
