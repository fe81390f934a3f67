// fuzz_peer's ops, the low two bits the kind: a wire event (bits 2-3 the connection, 4-5 what,
// 6-7 a disconnect's reason; a message's length, two bytes low first, and bytes follow), a wait
// (the next byte, 20 ms each), the local step, or the end (bit 2: leave, else finish).
#pragma once

#include <cstdint>

namespace spinvale::fuzzop {

enum : uint8_t { wire = 0, wait = 1, step = 2, end = 3 };
enum : uint8_t { connect = 0, message = 1, disconnect = 2 };
constexpr const char* code = "K7MQ2P";

}  // namespace spinvale::fuzzop
