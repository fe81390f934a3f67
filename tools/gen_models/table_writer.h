// Writes the models as the C++ source of the game's model tables.
#pragma once

#include <string>

#include "models.h"

namespace spinvale::gen {

// The text of model_tables.cpp. Throws std::runtime_error when a model does not have the
// sizes model_tables.h declares or an index does not fit its field.
std::string modelTablesSource(const Model& scene, const Model& paddle1, const Model& paddle2,
                              const BallModel& ball);

// The shortest decimal that reads back as exactly `value`, as a float literal ("0.5f").
std::string floatLiteral(float value);

}  // namespace spinvale::gen
