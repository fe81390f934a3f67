// "settings.dat": the game's one settings file, a 112-byte little-endian record. Integers
// are int32, reals are doubles; the game holds the reals in single precision.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "match.h"

namespace spinvale {

constexpr std::size_t settingsRecordSize = 112;
using SettingsRecord = std::array<uint8_t, settingsRecordSize>;

enum class FieldType { Int32, Double };

// One field of the file: where it lies, how it is stored there, and the member of
// GameSettings it fills (exactly one of real, whole and flag is set).
struct SettingsField {
    const char* name;
    std::size_t offset;
    FieldType type;
    float GameSettings::*real = nullptr;
    int32_t GameSettings::*whole = nullptr;
    bool GameSettings::*flag = nullptr;
};

// Every field the game reads, in file order. The bytes in between (two alignment gaps and
// the reserved double at 16) are never read and are kept as they are when a file is
// rewritten. The double at 56 was reserved too: it holds the adaptive strength, chosen only
// by exactly 1, so that an older file, whatever it holds there, keeps a fixed strength.
namespace field {
using G = GameSettings;
constexpr SettingsField simpleGraphics{
    "simpleGraphics", 0, FieldType::Int32, {}, &G::simpleGraphics};
constexpr SettingsField gameSpeed{"gameSpeed", 8, FieldType::Double, &G::gameSpeed};
constexpr SettingsField spinFactor{"spinFactor", 24, FieldType::Double, {}, &G::spinFactor};
constexpr SettingsField gravityScale{"gravityScale", 32, FieldType::Double, &G::gravityScale};
constexpr SettingsField aiSkill{"aiSkill", 40, FieldType::Double, &G::aiSkill};
constexpr SettingsField aiSpeed{"aiSpeed", 48, FieldType::Double, &G::aiSpeed};
constexpr SettingsField adaptiveStrength{"adaptiveStrength",  56, FieldType::Double, {}, {},
                                         &G::adaptiveStrength};
constexpr SettingsField pointsPerGame{"pointsPerGame", 64, FieldType::Int32, {}, &G::pointsPerGame};
constexpr SettingsField screenWidth{"screenWidth", 68, FieldType::Int32, {}, &G::screenWidth};
constexpr SettingsField screenHeight{"screenHeight", 72, FieldType::Int32, {}, &G::screenHeight};
constexpr SettingsField cameraX{"cameraX", 80, FieldType::Double, &G::cameraX};
constexpr SettingsField cameraY{"cameraY", 88, FieldType::Double, &G::cameraY};
constexpr SettingsField cameraZ{"cameraZ", 96, FieldType::Double, &G::cameraZ};
constexpr SettingsField player1Mouse{"player1Mouse",  104, FieldType::Int32, {}, {},
                                     &G::player1Mouse};
constexpr SettingsField player2Keyboard{"player2Keyboard",  108, FieldType::Int32, {}, {},
                                        &G::player2Keyboard};
}  // namespace field

constexpr SettingsField settingsFields[] = {
    field::simpleGraphics, field::gameSpeed,    field::spinFactor,       field::gravityScale,
    field::aiSkill,        field::aiSpeed,      field::adaptiveStrength, field::pointsPerGame,
    field::screenWidth,    field::screenHeight, field::cameraX,          field::cameraY,
    field::cameraZ,        field::player1Mouse, field::player2Keyboard,
};

int32_t readInt32(const SettingsRecord& record, const SettingsField& f);
double readDouble(const SettingsRecord& record, const SettingsField& f);
void writeInt32(SettingsRecord& record, const SettingsField& f, int32_t value);
void writeDouble(SettingsRecord& record, const SettingsField& f, double value);

// One field of the settings written into a record, over what it held. A real goes in as
// the double of its shortest decimal form, so that the file says 0.7 where the game holds
// 0.7f.
void encodeField(const GameSettings& settings, const SettingsField& f, SettingsRecord& record);

// Every field written into a record; the reserved bytes are kept.
void encodeSettings(const GameSettings& settings, SettingsRecord& record);

// The record of the shipped settings (defaultGameSettings), reserved bytes zero.
SettingsRecord defaultSettingsRecord();

// Turns a record into the game's settings. A field the game cannot use (a game length other
// than 11 or 21, a screen size of 0 or below, a real that is not a finite number) takes the
// shipped value, and one warning naming the source and the field is added for it.
GameSettings decodeSettings(const SettingsRecord& record, const std::string& source,
                            std::vector<std::string>& warnings);

// The settings the game plays with from a file's first bytes: when fewer than 112 were
// read, the shipped settings with a warning; otherwise the decoded record.
GameSettings settingsFromBytes(const uint8_t* bytes, std::size_t size, const std::string& source,
                               std::vector<std::string>& warnings);

// Reads the first 112 bytes of a file. False when it cannot be opened or is shorter; the
// reason is put in error.
bool readSettingsRecord(const std::string& path, SettingsRecord& record, std::string& error);

// The settings the game plays with: the file's, or, when it is missing, unreadable or
// short, the shipped ones with a warning.
GameSettings loadSettings(const std::string& path, std::vector<std::string>& warnings);

// What the player chose for the window and the sound. The match never sees these, so they
// are not in the record: a file keeps them after its 112 bytes, behind the mark "SPVd", as
// three int32s (fullscreen 0 or 1, sound 0 or 1, the multisampling's samples per pixel).
// A file without them, as every file was before the game had a menu, gives the defaults.
struct DisplayChoices {
    bool fullscreen = true;
    bool sound = true;
    int32_t samples = -1;  // -1 (as the renderer suits), 0 (off), 2, 4 or 8

    bool operator==(const DisplayChoices& o) const {
        return fullscreen == o.fullscreen && sound == o.sound && samples == o.samples;
    }
};

constexpr int32_t sampleChoices[] = {-1, 0, 2, 4, 8};

// The choices a file keeps; the defaults when it keeps none or cannot be read. A value the
// game cannot use takes its default, with a warning naming the file.
DisplayChoices readDisplayChoices(const std::string& path, std::vector<std::string>& warnings);

// Replaces the file in one step (temporary file in the same folder, then rename), so a
// failed write leaves the old file as it was. The display choices follow the record
// unless they are all the defaults.
bool writeSettingsRecord(const std::string& path, const SettingsRecord& record,
                         const DisplayChoices& display, std::string& error);

}  // namespace spinvale
