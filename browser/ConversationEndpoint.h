#pragma once
#include <string>

#include "store/Result.h"

namespace brindlex {

// The folder that holds the endpoints (one Unix-domain socket per service name):
// $BRINDLEX_DDE_DIR when set, else $XDG_RUNTIME_DIR/tarnwell-dde, else
// /tmp/tarnwell-dde-<uid>.
std::string conversationFolder();

// Ok when `folder` is a real directory (not a link) owned by this user and closed to
// everybody else; Refused otherwise, NotFound when it does not exist.
Status checkPrivateFolder(const std::string& folder);

// Creates `folder` with mode 0700 when missing, then checks it as above.
Status ensurePrivateFolder(const std::string& folder);

// The socket path of `service` in `folder`. Refused when the name could take the path
// out of the folder or the path is too long for a socket address.
Result<std::string> endpointPath(const std::string& folder, const std::string& service);

}  // namespace brindlex
