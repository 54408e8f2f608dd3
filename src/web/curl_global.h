#pragma once
// libcurl's process-wide set-up must run once before any handle is made, and before threads use it.

namespace dropship {

void ensureCurlGlobalInit();

} // namespace dropship
