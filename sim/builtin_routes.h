#pragma once
// Routes every simulator has from the start.
//
// Log-in (see sim_server.h): GET /login, POST /login (form fields user, password, redirect),
// GET /logout, GET /seller_admin.htm (log-in required: the seller workbench page).
//
// Test routes, no log-in needed; parameters come from the query:
//   *    /echo                 200 text/plain: "<method> <target>\r\n<header block>\r\n\r\n<body>"
//   GET  /delay?ms=N           waits N ms, then 200 "late"
//   GET  /redirect-set-cookie?name=&value=[&to=/echo]
//                              302 to `to`, setting the domain cookie name=value
//   GET  /zero-bytes           200 application/octet-stream, a body with zero bytes in it
//   GET  /set-cookie?name=&value=[&hostOnly=1]
//                              200, sets a domain cookie (or a host-only one)
//   GET  /set-httponly?name=&value=
//                              200, sets an HttpOnly domain cookie
//   GET  /delete-cookie?name=[&hostOnly=1]
//                              200, deletes the domain (or host-only) cookie: empty value, expiry 1970
//   GET  /status?code=N        answers status N with the body "status N"

#include "sim/sim_server.h"

#include <string_view>

namespace dropship::sim {

void addBuiltinRoutes(SimServer& server);

// The GBK log-in page; redirect is where a good log-in goes next, error a GBK line shown above the form.
Response loginPage(std::string_view redirect, std::string_view gbkError);

// The zero-byte body of /zero-bytes.
std::string_view zeroBytesBody();

} // namespace dropship::sim
