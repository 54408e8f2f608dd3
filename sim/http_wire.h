#pragma once
// Reading one HTTP/1.1 request from a socket and writing one answer: the simulator's wire format.

#include "sim/sim_server.h"

#include <optional>
#include <string>
#include <string_view>

namespace dropship::sim {

// Reads the request line, the header lines and a Content-Length body. nullopt when the peer closes
// early, the head is malformed or larger than 1 MiB, or the body is larger than 64 MiB.
std::optional<Request> readRequest(int fd);

// Status line, Content-Type, Content-Length, "Connection: close", the extra headers, the body.
void writeResponse(int fd, const Response& response);

// "%XX" to bytes; plusIsBlank also turns "+" into a blank (form and query encoding).
std::string percentDecode(std::string_view text, bool plusIsBlank);

} // namespace dropship::sim
