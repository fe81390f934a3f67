#include "table_writer.h"

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <stdexcept>

namespace spinvale::gen {

std::string floatLiteral(float value) {
    char text[32];
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value) {
            break;
        }
    }
    std::string s = text;
    if (s.find_first_of(".e") == std::string::npos) {
        s += ".0";
    }
    return s + "f";
}

namespace {

void require(bool ok, const std::string& what) {
    if (!ok) {
        throw std::runtime_error(what);
    }
}

void requireCount(std::size_t actual, std::size_t declared, const std::string& table) {
    require(actual == declared, table + " has " + std::to_string(actual) +
                                    " entries; model_tables.h declares " +
                                    std::to_string(declared));
}

template <typename T>
void requireFits(int index, const std::string& table) {
    require(index >= std::numeric_limits<T>::min() && index <= std::numeric_limits<T>::max(),
            table + ": index " + std::to_string(index) + " does not fit its field");
}

std::string rgb(const float c[3]) {
    return "{" + floatLiteral(c[0]) + ", " + floatLiteral(c[1]) + ", " + floatLiteral(c[2]) + "}";
}

std::string triple(const int v[3]) {
    return "{" + std::to_string(v[0]) + ", " + std::to_string(v[1]) + ", " + std::to_string(v[2]) +
           "}";
}

class Writer {
  public:
    std::string text() const { return out_.str(); }

    void line(const std::string& s) { out_ << s << "\n"; }

    template <typename Row>
    void table(const std::string& declaration, std::size_t count, Row row) {
        out_ << declaration << " = {\n";
        for (std::size_t i = 0; i < count; ++i) {
            out_ << "    " << row(i) << ",\n";
        }
        out_ << "};\n\n";
    }

    void vec3Table(const std::string& name, const std::string& size,
                   const std::vector<Vec3f>& values, std::size_t declared) {
        requireCount(values.size(), declared, name);
        table("const Vec3f " + name + "[" + size + "]", values.size(), [&](std::size_t i) {
            const Vec3f v = values[i];
            return "{" + floatLiteral(v.x) + ", " + floatLiteral(v.y) + ", " + floatLiteral(v.z) +
                   "}";
        });
    }

    void vec2Table(const std::string& name, const std::string& size,
                   const std::vector<Vec2f>& values, std::size_t declared) {
        requireCount(values.size(), declared, name);
        table("const Vec2f " + name + "[" + size + "]", values.size(), [&](std::size_t i) {
            return "{" + floatLiteral(values[i].u) + ", " + floatLiteral(values[i].v) + "}";
        });
    }

    void runTable(const std::string& name, const std::string& size,
                  const std::vector<MaterialRun>& runs, std::size_t declared) {
        requireCount(runs.size(), declared, name);
        table("const MaterialRun " + name + "[" + size + "]", runs.size(), [&](std::size_t i) {
            return "{" + std::to_string(runs[i].material) + ", " +
                   std::to_string(runs[i].faceCount) + "}";
        });
    }

    void materialTable(const std::string& name, const std::string& size,
                       const std::vector<ModelMaterial>& materials, std::size_t declared) {
        requireCount(materials.size(), declared, name);
        table("const ModelMaterial " + name + "[" + size + "]", materials.size(),
              [&](std::size_t i) {
                  const ModelMaterial& m = materials[i];
                  return "{" + rgb(m.ambient) + ", " + rgb(m.diffuse) + ", " + rgb(m.specular) +
                         ", " + rgb(m.emission) + ", " + floatLiteral(m.alpha) + ", " +
                         floatLiteral(m.shininess) + ", " + std::to_string(m.textureSlot) + "}";
              });
    }

    // Faces with position, normal and texture-coordinate triples, in index type T.
    template <typename T>
    void faceTable(const std::string& type, const std::string& name, const std::string& size,
                   const Mesh& mesh, std::size_t declared, bool positionsOnly) {
        requireCount(mesh.faces().size(), declared, name);
        table("const " + type + " " + name + "[" + size + "]", mesh.faces().size(),
              [&](std::size_t i) {
                  int v[3], n[3], t[3];
                  for (int j = 0; j < 3; ++j) {
                      const Corner c = mesh.faces()[i].corners[j];
                      v[j] = c.position;
                      n[j] = c.normal;
                      t[j] = c.texCoord;
                      requireFits<T>(v[j], name);
                      requireFits<T>(n[j], name);
                      requireFits<T>(t[j], name);
                  }
                  if (positionsOnly) {
                      return "{" + triple(v) + "}";
                  }
                  return "{" + triple(v) + ", " + triple(n) + ", " + triple(t) + "}";
              });
    }

  private:
    std::ostringstream out_;
};

}  // namespace

std::string modelTablesSource(const Model& scene, const Model& paddle1, const Model& paddle2,
                              const BallModel& ball) {
    Writer w;
    w.line("// Generated at build time by tools/gen_models. Do not edit: change the generator.");
    w.line("// Laid out by the generator, not clang-format.");
    w.line("// clang-format off");
    w.line("#include \"model_tables.h\"");
    w.line("");
    w.line("namespace spinvale {");
    w.line("");

    w.materialTable("sceneMaterials", "sceneMaterialCount", scene.materials, sceneMaterialCount);
    requireCount(scene.textureFiles.size(), sceneTextureCount, "sceneTextureFiles");
    w.table("const char* const sceneTextureFiles[sceneTextureCount]", scene.textureFiles.size(),
            [&](std::size_t i) { return "\"" + scene.textureFiles[i] + "\""; });
    w.faceTable<int16_t>("SceneFace", "sceneFaces", "sceneFaceCount", scene.mesh, sceneFaceCount,
                         false);
    w.vec3Table("sceneVertices", "sceneVertexCount", scene.mesh.positions(), sceneVertexCount);
    w.vec3Table("sceneNormals", "sceneNormalCount", scene.mesh.normals(), sceneNormalCount);
    w.vec2Table("sceneTexCoords", "sceneTexCoordCount", scene.mesh.texCoords(), sceneTexCoordCount);
    w.runTable("sceneRuns", "sceneRunCount", scene.runs, sceneRunCount);

    w.faceTable<uint8_t>("PaddleFace", "paddle1Faces", "paddle1FaceCount", paddle1.mesh,
                         paddle1FaceCount, false);
    w.vec3Table("paddle1Vertices", "paddle1VertexCount", paddle1.mesh.positions(),
                paddle1VertexCount);
    w.vec3Table("paddle1Normals", "paddle1NormalCount", paddle1.mesh.normals(), paddle1NormalCount);
    w.vec2Table("paddle1TexCoords", "paddle1TexCoordCount", paddle1.mesh.texCoords(),
                paddle1TexCoordCount);
    w.runTable("paddle1Runs", "paddle1RunCount", paddle1.runs, paddle1RunCount);
    w.materialTable("paddle1Materials", "paddle1MaterialCount", paddle1.materials,
                    paddle1MaterialCount);

    w.faceTable<uint8_t>("PaddleTriangle", "paddle2Faces", "paddle2FaceCount", paddle2.mesh,
                         paddle2FaceCount, true);
    w.vec3Table("paddle2Vertices", "paddle2VertexCount", paddle2.mesh.positions(),
                paddle2VertexCount);
    w.runTable("paddle2Runs", "paddle2RunCount", paddle2.runs, paddle2RunCount);
    w.materialTable("paddle2Materials", "paddle2MaterialCount", paddle2.materials,
                    paddle2MaterialCount);

    requireCount(ball.faces.size(), ballFaceCount, "ballFaces");
    w.table("const BallFace ballFaces[ballFaceCount]", ball.faces.size(), [&](std::size_t i) {
        const BallFace& f = ball.faces[i];
        const int v[3] = {f.vertexIndex[0], f.vertexIndex[1], f.vertexIndex[2]};
        const int n[3] = {f.normalIndex[0], f.normalIndex[1], f.normalIndex[2]};
        return "{" + triple(v) + ", " + triple(n) + "}";
    });
    w.vec3Table("ballVertices", "ballVertexCount", ball.vertices, ballVertexCount);
    w.vec3Table("ballNormals", "ballNormalCount", ball.normals, ballNormalCount);

    w.line("}  // namespace spinvale");
    return w.text();
}

}  // namespace spinvale::gen
