// gen_models: computes the geometry of the game's four built-in models (scene, the two
// paddles, the ball) and writes them as the C++ tables that the build compiles.
// The output depends on nothing but this program: no locale, clock or hash order.
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "command_line.h"
#include "models.h"
#include "table_writer.h"

namespace {

constexpr const char* usage =
    "Usage: spinvale-gen-models OUTPUT\n"
    "Writes Spinvale's built-in model tables (the C++ source of model_tables.cpp) to OUTPUT.\n"
    "Exit status: 0 written, 1 a model or the file failed, 2 bad usage.\n";

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> outputs;
    spinvale::CommandLine commandLine("spinvale-gen-models", usage);
    commandLine.words(outputs, 1, 1);
    if (const auto status = commandLine.parse(argc, argv)) {
        return *status;
    }
    using namespace spinvale::gen;
    try {
        const std::string source =
            modelTablesSource(buildScene(), buildPaddle1(), buildPaddle2(), buildBall());
        std::ofstream out(outputs[0], std::ios::binary | std::ios::trunc);
        out << source;
        out.close();
        if (!out) {
            std::cerr << "spinvale-gen-models: cannot write " << outputs[0] << "\n";
            return 1;
        }
    } catch (const std::exception& e) {
        std::cerr << "spinvale-gen-models: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
