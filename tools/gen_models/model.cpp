#include "models.h"

namespace spinvale::gen {

void Model::closeRun(int material) {
    int covered = 0;
    for (const MaterialRun& r : runs) {
        covered += r.faceCount;
    }
    runs.push_back({material, mesh.faceCount() - covered});
}

ModelMaterial material(Rgb ambient, Rgb diffuse, float alpha, int textureSlot) {
    return {{ambient.r, ambient.g, ambient.b},
            {diffuse.r, diffuse.g, diffuse.b},
            {0, 0, 0},
            {0, 0, 0},
            alpha,
            0,
            textureSlot};
}

}  // namespace spinvale::gen
