// The station's transport on Windows: WinHTTP, part of Windows, with connect, send and receive
// timeouts of 5 s each, no redirects followed, and a post that Cancel ends at once from another
// thread.
#pragma once

#include <memory>

#include "upload/HttpTransport.h"

namespace tavo {

std::unique_ptr<HttpTransport> MakeWinHttpTransport();

} // namespace tavo
