// gen_models: computes the geometry of the game's four built-in models (scene, the two
// paddles, the ball) and writes them as the C++ tables of src/render/model_tables.cpp.
// The output depends on nothing but this program: no locale, clock or hash order.
#include <cstring>
#include <fstream>
#include <iostream>
#include <stdexcept>

#include "models.h"
#include "table_writer.h"

namespace {

constexpr const char* usage =
    "Usage: gen_models OUTPUT\n"
    "Writes Spinvale's built-in model tables (the C++ source of model_tables.cpp) to OUTPUT.\n"
    "Exit status: 0 written, 1 a model or the file failed, 2 bad usage.\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << usage;
        return 0;
    }
    if (argc != 2 || argv[1][0] == '-') {
        std::cerr << usage;
        return 2;
    }
    using namespace spinvale::gen;
    try {
        const std::string source =
            modelTablesSource(buildScene(), buildPaddle1(), buildPaddle2(), buildBall());
        std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
        out << source;
        out.close();
        if (!out) {
            std::cerr << "gen_models: cannot write " << argv[1] << "\n";
            return 1;
        }
    } catch (const std::exception& e) {
        std::cerr << "gen_models: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
